// A small host of the controls: a form whose fields sit in a stretch container and scale
// with the window, and a calculator beside it when its library is present. Both are
// created by class identifier, as any host creates them.
//
//   controls_demo [--screenshot FILE [--size WxH]]
#include "ControlFactory.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

const char* const kStretchId = "cvStretch.cvStretchCtrl.1";
const char* const kTallyId = "cvTally.cvTallyCtrl.1";

// The fields as laid out at design size 400 × 300; the container scales them from there.
void addFields(QWidget* stretch)
{
    struct Field {
        const char* caption;
        int top;
    };
    const Field fields[] = {{"Title", 20}, {"Start Price", 60}, {"Reserve", 100}};
    for (const Field& f : fields) {
        auto* label = new QLabel(QString::fromLatin1(f.caption), stretch);
        label->setGeometry(20, f.top, 100, 24);
        auto* edit = new QLineEdit(stretch);
        edit->setGeometry(130, f.top, 250, 24);
    }
    auto* descriptionLabel = new QLabel(QStringLiteral("Description"), stretch);
    descriptionLabel->setGeometry(20, 140, 100, 24);
    auto* description = new QPlainTextEdit(stretch);
    description->setGeometry(130, 140, 250, 100);
    auto* save = new QPushButton(QStringLiteral("Save"), stretch);
    save->setGeometry(290, 255, 90, 28);
}

bool set(QWidget* control, const char* name, const QVariant& value)
{
    if (control->setProperty(name, value))
        return true;
    std::fprintf(stderr, "controls_demo: the control has no property %s\n", name);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Window size for the picture."),
                                        QStringLiteral("WxH"), QStringLiteral("900x450"));
    parser.addOption(shotOption);
    parser.addOption(sizeOption);
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Controls"));
    auto* layout = new QHBoxLayout(&window);
    auto* formArea = new QWidget(&window);
    formArea->setMinimumSize(200, 150);
    layout->addWidget(formArea, 1);

    QString error;
    QWidget* stretch = gw::ControlFactory::create(QString::fromLatin1(kStretchId), formArea,
                                                  &error);
    if (stretch == nullptr) {
        std::fprintf(stderr, "controls_demo: %s\n", qPrintable(error));
        return 1;
    }
    stretch->setGeometry(0, 0, 400, 300);
    addFields(stretch);
    bool ok = set(stretch, "BorderType", QVariant::fromValue(short(3)));  // Lowered
    ok &= set(stretch, "ChildAlign", QVariant::fromValue(short(3)));     // Proportional 1
    ok &= set(stretch, "ControlAlign", QVariant::fromValue(short(5)));   // Fill
    ok &= set(stretch, "AutoConfig", QVariant::fromValue(short(3)));     // children and parent
    ok &= set(stretch, "AdjustFont", true);
    ok &= set(stretch, "BackColor", QColor(236, 233, 216));
    if (!ok)
        return 1;

    if (QWidget* tally = gw::ControlFactory::create(QString::fromLatin1(kTallyId), &window,
                                                    &error)) {
        tally->setProperty("FunctionKeys", QVariant::fromValue(short(2)));
        tally->setProperty("FncKeyText1", QStringLiteral("Copy"));
        tally->setProperty("FncKeyText2", QStringLiteral("Off"));
        tally->setMinimumSize(220, 260);
        layout->addWidget(tally);
    } else {
        std::fprintf(stderr, "controls_demo: no calculator: %s\n", qPrintable(error));
    }

    window.resize(640, 360);
    window.show();
    if (!parser.isSet(shotOption))
        return app.exec();

    const QStringList wh = parser.value(sizeOption).split(QLatin1Char('x'));
    const QSize size = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
    if (!size.isValid()) {
        std::fprintf(stderr, "controls_demo: --size wants WIDTHxHEIGHT\n");
        return 2;
    }
    QTimer::singleShot(100, &window, [&window, size] { window.resize(size); });
    QTimer::singleShot(400, &window, [&window, &parser, &shotOption] {
        const bool saved = window.grab().save(parser.value(shotOption));
        QApplication::exit(saved ? 0 : 3);
    });
    return app.exec();
}
