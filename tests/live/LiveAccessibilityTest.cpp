// What a screen reader finds in the live window: the accessible tree of every page read through AT-SPI
// as Orca reads it (the at-spi2-core bus and python3-pyatspi, tests/live/atspi_tree.py), on a private
// session bus and a private Xvfb, in English and in Chinese. Every control says what it is (role), its
// state and value, and its name in the chosen language.

#include "live/LiveRig.h"
#include "shell/LanguageTables.h"
#include "support/PrivateAccessibilityBus.h"
#include "widgets/BusyWindow.h"

#include <QAccessible>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

#include <functional>
#include <map>
#include <set>

using namespace krm;
using namespace krm::test;

namespace {

// One object the screen reader finds showing.
struct Heard {
    int depth = 0;
    QString role, name;
    QStringList labels, states;
    std::optional<double> value;
    bool is(const char* state) const { return states.contains(QLatin1String(state)); }
};

// The tree as a screen reader reads it now, or nothing (with why) when the reader could not.
std::optional<std::vector<Heard>> readTree(QString& why) {
    QProcess reader;
    // The program answers the reader's questions while it waits, each at once: an event loop that sleeps
    // between its rounds would make hundreds of questions take seconds.
    QEventLoop answering;
    QObject::connect(&reader, &QProcess::finished, &answering, &QEventLoop::quit);
    QTimer::singleShot(20000, &answering, &QEventLoop::quit);
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(KRM_ATSPI_TREE), QString::number(QCoreApplication::applicationPid())});
    if (reader.waitForStarted(5000)) answering.exec();
    if (reader.state() != QProcess::NotRunning || reader.exitCode() != 0) {
        why = QString::fromLocal8Bit(reader.readAllStandardError());
        return std::nullopt;
    }
    std::vector<Heard> tree;
    for (const QByteArray& line : reader.readAllStandardOutput().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        Heard h;
        h.depth = o.value(QStringLiteral("depth")).toInt();
        h.role = o.value(QStringLiteral("role")).toString();
        h.name = o.value(QStringLiteral("name")).toString();
        for (const auto& l : o.value(QStringLiteral("labels")).toArray()) h.labels << l.toString();
        for (const auto& s : o.value(QStringLiteral("states")).toArray()) h.states << s.toString();
        if (const QJsonArray v = o.value(QStringLiteral("value")).toArray(); !v.isEmpty())
            h.value = v.at(0).toDouble();
        tree.push_back(h);
    }
    return tree;
}

QString text(int language, const char* id) {
    return QString::fromStdString(lookupText(language, id));
}

// The roles of what a user operates.
const std::set<QString> kControls = {
    QStringLiteral("push button"),  QStringLiteral("toggle button"), QStringLiteral("check box"),
    QStringLiteral("radio button"), QStringLiteral("page tab"),      QStringLiteral("slider"),
    QStringLiteral("combo box"),    QStringLiteral("text"),          QStringLiteral("spin button"),
    QStringLiteral("list"),         QStringLiteral("heading"),       QStringLiteral("menu item")};

struct PageVisit {
    const char* name;
    const char* button; // clicked to show it; none for the gun page, opened from a key's menu
    Page page;
};
const PageVisit kPages[] = {
    {"key", "Btn_Main_1", Page::Profile1},        {"performance", "Btn_Adv_1", Page::Performance},
    {"lighting", "Btn_Breath_1", Page::Lighting}, {"macro", "Btn_Macro_1", Page::Macro},
    {"update", "Btn_Update_1", Page::Update},     {"gun", nullptr, Page::Gun},
};

// A control the screen reader must find on a page, in either language: its role, its name in the
// language (from the language's own texts), states it has and states it must not have, its value.
struct Expected {
    Page page;
    const char* role;
    std::function<QString(int language)> name;
    QStringList states, notStates;
    std::optional<double> value = std::nullopt;
};

QString numbered(int language, const char* id, int n) {
    return text(language, id) + QLatin1Char(' ') + QString::number(n);
}
QString twoPart(int language, const char* first, const char* second) {
    return text(language, "Str927").arg(text(language, first), text(language, second));
}

// The simulated mouse's image: six DPI levels, level 2 current, 1000 Hz, the MCU LEDs in their
// colourful mode at full light, Key 1 a left click, the LED-mode combination on, fire key 1 continues.
const std::vector<Expected>& expectations() {
    using L = int;
    static const std::vector<Expected> kRows = {
        {Page::Profile1,
         "frame",
         [](L) { return QString::fromLatin1(gui::MainWindow::kWindowTitle); },
         {},
         {}},
        {Page::Profile1, "page tab", [](L l) { return text(l, "Str004"); }, {"selected"}, {}},
        {Page::Profile1, "page tab", [](L l) { return text(l, "Str005"); }, {"selectable"}, {"selected"}},
        {Page::Profile1,
         "radio button",
         [](L l) { return text(l, l == 1 ? "Str011" : "Str012"); },
         {"checked"},
         {}},
        {Page::Profile1, "radio button", [](L l) { return text(l, "Str013"); }, {}, {"checked"}},
        {Page::Profile1,
         "push button",
         [](L l) { return text(l, "Str923").arg(1).arg(text(l, "Str210")); },
         {"focusable"},
         {}},
        {Page::Profile1, "check box", [](L l) { return text(l, "Str700"); }, {"checked"}, {}},
        {Page::Profile1, "check box", [](L l) { return text(l, "Str701"); }, {"enabled"}, {"checked"}},
        {Page::Profile1, "push button", [](L l) { return text(l, "Str924"); }, {}, {}},
        {Page::Profile1, "push button", [](L l) { return text(l, "Str900"); }, {}, {}},
        {Page::Performance, "page tab", [](L l) { return text(l, "Str007"); }, {"selected"}, {}},
        {Page::Performance, "check box", [](L l) { return numbered(l, "Str829", 2); }, {"checked"}, {}},
        {Page::Performance,
         "check box",
         [](L l) { return numbered(l, "Str829", 7); },
         {"enabled"},
         {"checked"}},
        {Page::Performance,
         "radio button",
         [](L l) { return text(l, "Str926").arg(2); },
         {"checked", "enabled"},
         {}},
        {Page::Performance,
         "radio button",
         [](L l) { return text(l, "Str926").arg(7); },
         {},
         {"enabled", "checked"}},
        {Page::Performance, "slider", [](L l) { return numbered(l, "Str829", 1); }, {"enabled"}, {}, 800},
        {Page::Performance, "slider", [](L l) { return numbered(l, "Str829", 8); }, {}, {"enabled"}},
        {Page::Performance, "radio button", [](L l) { return text(l, "Str828"); }, {"checked"}, {}},
        {Page::Performance, "radio button", [](L l) { return text(l, "Str825"); }, {}, {"checked"}},
        {Page::Performance,
         "check box",
         [](L l) { return text(l, "Str231") + QLatin1Char(' ') + text(l, "Str803"); },
         {"checked"},
         {}},
        {Page::Lighting, "heading", [](L l) { return text(l, "Str821"); }, {}, {}},
        {Page::Lighting, "radio button", [](L l) { return text(l, "Str816"); }, {"checked"}, {}},
        {Page::Lighting, "radio button", [](L l) { return text(l, "Str817"); }, {}, {"checked"}},
        {Page::Lighting, "radio button", [](L l) { return text(l, "Str823"); }, {"checked"}, {}},
        {Page::Lighting, "push button", [](L l) { return numbered(l, "Str855", 10); }, {}, {}},
        {Page::Macro, "push button", [](L l) { return twoPart(l, "Str834", "Str433"); }, {}, {}},
        {Page::Macro, "push button", [](L l) { return twoPart(l, "Str835", "Str433"); }, {}, {}},
        {Page::Macro, "radio button", [](L l) { return text(l, "Str837"); }, {"checked"}, {}},
        {Page::Macro, "text", [](L l) { return text(l, "Str868"); }, {}, {}},
        {Page::Macro, "list", [](L l) { return text(l, "Str834"); }, {}, {}},
        {Page::Update, "push button", [](L l) { return text(l, "Str935"); }, {}, {}},
        {Page::Update, "push button", [](L l) { return text(l, "Str936"); }, {}, {}},
        {Page::Gun, "radio button", [](L l) { return text(l, "Str600"); }, {"checked"}, {}},
        {Page::Gun, "radio button", [](L l) { return text(l, "Str601"); }, {}, {"checked"}},
        {Page::Gun, "check box", [](L l) { return text(l, "Str614"); }, {"enabled"}, {}},
    };
    return kRows;
}

// What is wrong with a page's tree in `language`; `english` holds the names the same page had in English.
QStringList faults(const std::vector<Heard>& tree, int language, const std::set<QString>& english) {
    QStringList out;
    std::map<std::pair<QString, QString>, int> seen;
    static const QRegularExpression latinWord(QStringLiteral("[A-Za-z]{3,}"));
    // Names the same in every language: the languages' own names, the vendor's address, "DPI".
    static const QRegularExpression neutral(
        QStringLiteral("^(English( \\(alt\\.\\))?|https?://\\S+|DPI \\d)$"));
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const Heard& h = tree[i];
        const bool leaf = i + 1 == tree.size() || tree[i + 1].depth <= h.depth;
        if (h.role == QLatin1String("filler") && leaf && h.name.isEmpty() && h.depth > 0)
            out << QStringLiteral("a nameless filler");
        if (!kControls.count(h.role)) continue;
        // A combo box's own name is its value: a label names it.
        if (h.role == QLatin1String("combo box") ? h.labels.isEmpty() : h.name.trimmed().isEmpty())
            out << QStringLiteral("a nameless %1").arg(h.role);
        if (!h.name.isEmpty() && ++seen[{h.role, h.name}] == 2)
            out << QStringLiteral("%1 '%2' twice").arg(h.role, h.name);
        if (language != 1 && english.count(h.name) && h.name.contains(latinWord) &&
            !neutral.match(h.name).hasMatch())
            out << QStringLiteral("%1 '%2' in English").arg(h.role, h.name);
    }
    return out;
}

} // namespace

class LiveAccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QStringLiteral("import pyatspi")});
        if (!probe.waitForFinished(20000) || probe.exitCode() != 0) QSKIP("python3-pyatspi is not installed");
    }

    void everyPageInEnglishAndChinese() {
        LiveProgram p;
        Hands hands;
        std::map<Page, std::set<QString>> englishNames;
        for (int language : {1, 2}) {
            QVERIFY(hands.click(p.find(qPrintable(QStringLiteral("Btn_Lang%1_1").arg(language)))));
            for (const PageVisit& v : kPages) {
                const QString where =
                    QStringLiteral("language %1, %2 page").arg(language).arg(QLatin1String(v.name));
                if (v.button) {
                    QVERIFY2(hands.clickAndRest(p.find(v.button), &p.window()), qPrintable(where));
                } else {
                    p.window().showPage(v.page);
                    Hands::settle();
                }
                QString why;
                const auto tree = readTree(why);
                QVERIFY2(tree, qPrintable(where + QStringLiteral(": ") + why));
                if (language == 1)
                    for (const Heard& h : *tree) englishNames[v.page].insert(h.name);
                const QStringList wrong = faults(*tree, language, englishNames[v.page]);
                QVERIFY2(wrong.isEmpty(),
                         qPrintable(where + QStringLiteral(": ") + wrong.join(QStringLiteral("; "))));
                for (const Expected& e : expectations()) {
                    if (e.page != v.page) continue;
                    const QString name = e.name(language);
                    const auto heard = std::find_if(tree->begin(), tree->end(), [&](const Heard& h) {
                        return h.role == QLatin1String(e.role) && h.name == name;
                    });
                    const QString what = where + QStringLiteral(": %1 '%2'").arg(QLatin1String(e.role), name);
                    QVERIFY2(heard != tree->end(), qPrintable(what + QStringLiteral(" not heard")));
                    for (const QString& s : e.states)
                        QVERIFY2(heard->is(qPrintable(s)), qPrintable(what + QStringLiteral(" not ") + s));
                    for (const QString& s : e.notStates)
                        QVERIFY2(!heard->is(qPrintable(s)), qPrintable(what + QStringLiteral(" is ") + s));
                    if (e.value) QCOMPARE(heard->value, e.value);
                }
            }
            QVERIFY(hands.click(p.find("Btn_FireExit")));

            // The macro page's name dialog: its box and its close button are named too.
            QVERIFY(hands.click(p.find("Btn_Macro_1")));
            QVERIFY(hands.click(p.find("Btn_New")));
            QString why;
            const auto tree = readTree(why);
            QVERIFY2(tree, qPrintable(why));
            const auto heard = [&](const char* role, const QString& name) {
                return std::any_of(tree->begin(), tree->end(), [&](const Heard& h) {
                    return h.role == QLatin1String(role) && h.name == name && h.is("showing");
                });
            };
            QVERIFY(heard("text", text(language, "Str510")));
            QVERIFY(heard("push button", text(language, "Str913")));
            QVERIFY(hands.keys({QStringLiteral("<Escape>")}));
            // The busy window says what it is in the language too.
            QCOMPARE(QAccessible::queryAccessibleInterface(p.window().busyWindow())->text(QAccessible::Name),
                     text(language, "Str925"));
        }
    }
};

int main(int argc, char** argv) {
    // The accessibility bus first, then the display, then the toolkit, whose bridge finds the bus.
    krm::test::PrivateAccessibilityBus bus;
    if (bus.address().empty()) {
        std::puts("SKIP: dbus-daemon or at-spi2-core is not installed");
        return 77;
    }
    krm::test::PrivateXvfb display("2600x1500x24");
    if (display.display().empty()) {
        std::puts("SKIP: Xvfb could not be started");
        return 77;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus.address()));
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    qputenv("DISPLAY", QByteArray::fromStdString(display.display()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    LiveAccessibilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LiveAccessibilityTest.moc"
