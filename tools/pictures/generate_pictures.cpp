// Draws every picture of the window into resources/images and the contact sheet
// tools/pictures/contact-sheet.png. The output is committed; regenerate it after changing a drawing or a
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
    krm::pictures::drawSharedPictures(pictures);
    for (int look = 1; look <= 3; ++look) krm::pictures::drawLookPictures(look, skins, pictures);
    krm::pictures::drawBusyFrames(pictures);

    int failures = 0;
    for (const auto& [name, image] : pictures)
        if (!writePng(image, images + '/' + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            ++failures;
        }
    if (!writePng(krm::pictures::contactSheet(pictures), root.filePath("tools/pictures/contact-sheet.png")))
        ++failures;
    const qsizetype preview = args.indexOf(QStringLiteral("--preview"));
    if (preview > 0 && preview + 1 < args.size())
        krm::pictures::writePreviews(pictures, skins, args[preview + 1]);
    std::printf("%zu pictures written to %s\n", pictures.size(), qPrintable(images));
    return failures == 0 ? 0 : 1;
}
