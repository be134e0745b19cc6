// Draws every picture of the window into resources/images (each also as Name@2x.png, drawn again at twice
// the pixels for screens at more than 100 %), the contact sheet
// tools/pictures/contact-sheet.png and the application icon into packaging/icons (PNG in the hicolor
// sizes and SVG). The output is committed; regenerate it after changing a drawing or a
// position in the skins (the key page follows the skins' key labels):
//
//   cmake --build build --target krm_pictures
//   build/bin/krm_pictures .                     # from the repository root
//   build/bin/krm_pictures . --preview /tmp/pages  # also renders every page and dialog for checking by eye
//
// The skins themselves are written by tools/pictures/make_skins.py.
#include "Pictures.h"

#include "base/PngImage.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstdio>

namespace {

bool writePng(const QImage& image, const QString& path) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(rgba.width()) * rgba.height() * 4);
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* line = rgba.constScanLine(y);
        pixels.insert(pixels.end(), line, line + rgba.width() * 4);
    }
    const std::vector<std::uint8_t> png = krm::encodePng(rgba.width(), rgba.height(), pixels);
    QSaveFile file(path);
    if (png.empty() || !file.open(QIODevice::WriteOnly)) return false;
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<qint64>(png.size()));
    return file.commit();
}

// The icon of the installed application: hicolor PNG sizes and the scalable SVG, drawn by the same code.
int writeIcons(const QDir& root) {
    const QString name = QStringLiteral("io.krm.krmconfig");
    const QString base = root.filePath(QStringLiteral("packaging/icons/hicolor"));
    int failures = 0;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(base).arg(size);
        QDir().mkpath(dir);
        QImage icon = krm::pictures::canvas(size, size);
        QPainter p(&icon);
        krm::pictures::drawAppIcon(p, size);
        p.end();
        if (!writePng(icon, dir + '/' + name + QStringLiteral(".png"))) ++failures;
    }
    const QString scalable = base + QStringLiteral("/scalable/apps");
    QDir().mkpath(scalable);
    QSvgGenerator svg;
    svg.setFileName(scalable + '/' + name + QStringLiteral(".svg"));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Gaming Mouse"));
    QPainter p;
    if (!p.begin(&svg)) return failures + 1;
    krm::pictures::drawAppIcon(p, 256);
    return p.end() ? failures : failures + 1;
}

void drawAll(const QString& skins, krm::pictures::PictureSet& out) {
    krm::pictures::drawSharedPictures(out);
    for (int look = 1; look <= 3; ++look) krm::pictures::drawLookPictures(look, skins, out);
    krm::pictures::drawBusyFrames(out);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: krm_pictures REPOSITORY [--preview DIR]\n");
        return 2;
    }
    const QDir root(args[1]);
    const QString skins = root.filePath(QStringLiteral("resources/skins"));
    const QString images = root.filePath(QStringLiteral("resources/images"));
    QDir().mkpath(images);

    krm::pictures::PictureSet pictures;
    drawAll(skins, pictures);
    krm::pictures::PictureSet sharp;
    {
        const krm::pictures::ScaledDrawing twice(2);
        drawAll(skins, sharp);
    }

    int failures = 0;
    auto write = [&](const QImage& image, const QString& name) {
        if (writePng(image, images + '/' + name + QStringLiteral(".png"))) return;
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
        ++failures;
    };
    for (const auto& [name, image] : pictures) write(image, name);
    for (auto& [name, image] : sharp) {
        const QImage& single = pictures.at(name);
        if (image.size() != single.size() * 2) {
            std::fprintf(stderr, "%s is not drawn at twice the size\n", qPrintable(name));
            ++failures;
            continue;
        }
        if (krm::pictures::hasColourKey(single)) krm::pictures::matchColourKeyShape(image, single);
        write(image, name + QStringLiteral("@2x"));
    }
    if (!writePng(krm::pictures::contactSheet(pictures), root.filePath("tools/pictures/contact-sheet.png")))
        ++failures;
    failures += writeIcons(root);
    const qsizetype preview = args.indexOf(QStringLiteral("--preview"));
    if (preview > 0 && preview + 1 < args.size())
        krm::pictures::writePreviews(pictures, skins, args[preview + 1]);
    std::printf("%zu pictures (and as many at 2x) written to %s\n", pictures.size(), qPrintable(images));
    return failures == 0 ? 0 : 1;
}
