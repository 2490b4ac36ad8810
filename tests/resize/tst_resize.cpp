// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <climits>
#include <memory>

#include "resize/formresizer.h"

using namespace Qt::StringLiterals;
using resize::EResizerException;
using resize::TFormResizer;
using resize::TSingleResizer;

namespace {

// A form of 400 x 400 at 8 points with controls at absolute places, as the designs have them.
struct Form {
    std::unique_ptr<QWidget> widget = std::make_unique<QWidget>();
    TFormResizer* resizer = new TFormResizer(widget.get());

    Form() {
        widget->resize(400, 400);
        QFont f = widget->font();
        f.setPointSize(8);
        widget->setFont(f);
        resizer->setResizeFonts(true);
    }

    template <class T = QPushButton>
    T* add(const char* name, QRect geometry, QWidget* parent = nullptr) {
        auto* w = new T(parent ? parent : widget.get());
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(geometry);
        return w;
    }

    void resizeTo(QSize size) {
        widget->resize(size);
        resizer->ResizeAll();
    }
};

void setFontSize(QWidget* w, double size, bool pixels) {
    QFont f = w->font();
    if (pixels) {
        f.setPixelSize(int(size));
    } else {
        f.setPointSizeF(size);
    }
    w->setFont(f);
}

double fontSize(const QWidget* w) {
    return w->font().pixelSize() > 0 ? w->font().pixelSize() : w->font().pointSizeF();
}

// Another class of the label family, as the toolkit's bound text label is.
class BoundLabel final : public QLabel {
public:
    using QLabel::QLabel;
};

// A composite control placing parts that carry names of their own.
class Composite final : public QWidget {
public:
    explicit Composite(QWidget* parent) : QWidget(parent) {
        (new QPushButton(this))->setObjectName(QStringLiteral("navFirst"));
    }
};

}  // namespace

class ResizeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void scalesBounds_data();
    void scalesBounds();
    void scalesFonts_data();
    void scalesFonts();
    void returnsExactlyAndNeverAccumulates();
    void leavesFillingControlsAlone_data();
    void leavesFillingControlsAlone();
    void labelsKeepWidthAndFitText_data();
    void labelsKeepWidthAndFitText();
    void skipsDestroyedControlsButReportsEveryRecord();
    void recordsOnceAndIgnoresEarlyResize();
    void findsTheDesignedControls();
    void mainWindowScalesWithItsClientArea();
    void enforcesMinimumSize();
    void theMinimumSizeKeepsCaptionsWhole_data();
    void theMinimumSizeKeepsCaptionsWhole();
    void reportsMisuse_data();
    void reportsMisuse();
};

void ResizeTest::roundsHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 down to even") << 2.5 << 2;
    QTest::newRow("3.5 up to even") << 3.5 << 4;
    QTest::newRow("12.5") << 12.5 << 12;
    QTest::newRow("37.5") << 37.5 << 38;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("below half") << 2.4999 << 2;
    QTest::newRow("above half") << 2.5001 << 3;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-3.5") << -3.5 << -4;
    QTest::newRow("saturates") << 1e12 << INT_MAX;
}

void ResizeTest::roundsHalfToEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(resize::roundHalfEven(value), expected);
}

void ResizeTest::scalesBounds_data() {
    QTest::addColumn<QSize>("to");
    QTest::addColumn<QRect>("design");
    QTest::addColumn<QRect>("expected");
    const QSize taller(400, 500);
    QTest::newRow("1.25 taller, top 10")
        << taller << QRect(20, 10, 100, 21) << QRect(20, 12, 100, 26);
    QTest::newRow("1.25 taller, top 30")
        << taller << QRect(20, 30, 100, 21) << QRect(20, 38, 100, 26);
    QTest::newRow("wider only") << QSize(600, 400) << QRect(10, 10, 40, 20)
                                << QRect(15, 10, 60, 20);
    QTest::newRow("half, halves to even")
        << QSize(200, 200) << QRect(5, 7, 3, 1) << QRect(2, 4, 2, 0);
    QTest::newRow("left of the client")
        << QSize(200, 200) << QRect(-5, -7, 10, 10) << QRect(-2, -4, 5, 5);
    QTest::newRow("double") << QSize(800, 800) << QRect(10, 20, 30, 40) << QRect(20, 40, 60, 80);
}

void ResizeTest::scalesBounds() {
    QFETCH(QSize, to);
    QFETCH(QRect, design);
    QFETCH(QRect, expected);
    Form form;
    QWidget* button = form.add("Button1", design);
    form.resizer->RecordLayout();
    form.resizeTo(to);
    QCOMPARE(button->geometry(), expected);
}

void ResizeTest::scalesFonts_data() {
    QTest::addColumn<bool>("pixels");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("resizeFonts");
    QTest::addColumn<QSize>("to");
    QTest::addColumn<double>("expected");
    QTest::newRow("ratio 0.5 stops at the minimum")
        << false << 8.0 << true << QSize(400, 200) << 8.0;
    QTest::newRow("ratio 7 stops at the maximum")
        << false << 8.0 << true << QSize(400, 2800) << 48.0;
    QTest::newRow("12.5 rounds to 12") << false << 10.0 << true << QSize(400, 500) << 12.0;
    QTest::newRow("13.5 rounds to 14") << false << 9.0 << true << QSize(400, 600) << 14.0;
    QTest::newRow("widening keeps the size") << false << 20.0 << true << QSize(1000, 400) << 20.0;
    QTest::newRow("widening keeps a fraction") << false << 8.5 << true << QSize(1000, 400) << 8.5;
    QTest::newRow("fonts off") << false << 10.0 << false << QSize(800, 800) << 10.0;
    QTest::newRow("pixels scale in pixels") << true << 16.0 << true << QSize(400, 500) << 20.0;
    // 8 and 48 points at 96 dpi.
    QTest::newRow("pixels stop at the minimum") << true << 16.0 << true << QSize(400, 200) << 11.0;
    QTest::newRow("pixels stop at the maximum") << true << 16.0 << true << QSize(400, 2800) << 64.0;
}

void ResizeTest::scalesFonts() {
    QFETCH(bool, pixels);
    QFETCH(double, size);
    QFETCH(bool, resizeFonts);
    QFETCH(QSize, to);
    QFETCH(double, expected);
    Form form;
    form.resizer->setResizeFonts(resizeFonts);
    QWidget* button = form.add("Button1", QRect(10, 10, 100, 30));
    setFontSize(button, size, pixels);
    if (pixels && button->logicalDpiY() != 96) {
        QSKIP("the pixel bounds are written for 96 dpi");
    }
    form.resizer->RecordLayout();
    form.resizeTo(to);
    QCOMPARE(fontSize(button), expected);
    QCOMPARE(button->font().pixelSize() > 0, pixels);
}

void ResizeTest::returnsExactlyAndNeverAccumulates() {
    Form form;
    QWidget* button = form.add("Button1", QRect(13, 17, 91, 23));
    setFontSize(button, 6, false);  // below the minimum: only the restore gives it back
    QWidget* edit = form.add<QLineEdit>("Edit1", QRect(7, 301, 333, 21));
    setFontSize(edit, 8.5, false);
    QWidget* panel = form.add<QFrame>("Panel1", QRect(200, 50, 150, 100));
    QWidget* nested = form.add("Button2", QRect(11, 13, 57, 19), panel);
    setFontSize(nested, 13, true);
    auto* fitted = form.add<QLabel>("Label1", QRect(30, 200, 10, 10));
    fitted->setText(QStringLiteral("Redigering"));
    fitted->adjustSize();
    auto* fixed = form.add<QLabel>("Label2", QRect(30, 250, 300, 13));
    fixed->setText(QStringLiteral("Dansk"));
    fixed->setProperty("AutoSize", false);
    const QList<QWidget*> all{button, edit, panel, nested, fitted, fixed};
    QList<QRect> recorded;
    QList<double> fonts;
    for (QWidget* w : all) {
        recorded << w->geometry();
        fonts << fontSize(w);
    }
    form.resizer->RecordLayout();

    form.resizeTo(QSize(500, 500));
    QList<QRect> direct;
    for (QWidget* w : all) {
        direct << w->geometry();
    }
    for (QSize s : {QSize(437, 311), QSize(913, 1201), QSize(251, 99), QSize(500, 500)}) {
        form.resizeTo(s);
    }
    for (int i = 0; i < all.size(); ++i) {
        QCOMPARE(all[i]->geometry(), direct[i]);
    }

    form.resizeTo(QSize(800, 800));
    const int grownWidth = fixed->width();
    form.resizeTo(QSize(400, 400));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(all[i]->geometry(), recorded[i]);
    }
    for (int i = 0; i < all.size(); ++i) {
        QCOMPARE(fontSize(all[i]), fonts[i]);
    }
    // An auto-sizing label refits to its text at its design font; a fixed one keeps its width.
    QCOMPARE(fitted->geometry(), recorded[4]);
    QCOMPARE(fixed->geometry(), QRect(recorded[5].topLeft(), QSize(grownWidth, 13)));
}

void ResizeTest::leavesFillingControlsAlone_data() {
    QTest::addColumn<bool>("inLayout");
    QTest::newRow("Align alClient") << false;
    QTest::newRow("managed by a layout") << true;
}

void ResizeTest::leavesFillingControlsAlone() {
    QFETCH(bool, inLayout);
    Form form;
    QWidget* other = form.add("Button1", QRect(10, 10, 50, 20));
    QWidget* filling = nullptr;
    if (inLayout) {
        QWidget* panel = form.add<QFrame>("Panel1", QRect(100, 100, 200, 200));
        auto* outer = new QVBoxLayout(panel);
        auto* inner = new QHBoxLayout;
        outer->addLayout(inner);
        filling = form.add<QLineEdit>("Edit1", QRect(5, 5, 50, 20), panel);
        inner->addWidget(filling);
    } else {
        filling = form.add<QLabel>("Image3", QRect(0, 0, 400, 400));
        filling->setProperty("Align", QStringLiteral("alClient"));
    }
    const QRect before = filling->geometry();
    form.resizer->RecordLayout();
    form.resizeTo(QSize(800, 600));
    QCOMPARE(other->geometry(), QRect(20, 15, 100, 30));
    QCOMPARE(filling->geometry(), before);
    QVERIFY(!filling->testAttribute(Qt::WA_SetFont));
}

void ResizeTest::labelsKeepWidthAndFitText_data() {
    QTest::addColumn<QVariant>("autoSize");
    QTest::addColumn<bool>("subclass");
    QTest::addColumn<bool>("picture");
    QTest::newRow("AutoSize not set") << QVariant() << false << false;
    QTest::newRow("AutoSize off") << QVariant(false) << false << false;
    QTest::newRow("AutoSize on") << QVariant(true) << false << false;
    QTest::newRow("bound text label") << QVariant() << true << false;
    QTest::newRow("a picture is no text label") << QVariant() << false << true;
}

void ResizeTest::labelsKeepWidthAndFitText() {
    QFETCH(QVariant, autoSize);
    QFETCH(bool, subclass);
    QFETCH(bool, picture);
    Form form;
    const QRect design(40, 40, 300, 13);
    QLabel* label =
        subclass ? form.add<BoundLabel>("DBText1", design) : form.add<QLabel>("Label1", design);
    if (picture) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::green);
        label->setPixmap(pixmap);
    } else {
        label->setText(QStringLiteral("Redigering"));
    }
    if (autoSize.isValid()) {
        label->setProperty("AutoSize", autoSize);
    }
    form.resizer->RecordLayout();
    QCOMPARE(form.resizer->records().front().scaleWidth(), picture);

    form.resizeTo(QSize(800, 800));
    QCOMPARE(label->pos(), QPoint(80, 80));
    QCOMPARE(label->font().pointSize(), 16);
    QCOMPARE(label->property("AutoSize"), autoSize);
    if (picture) {
        QCOMPARE(label->size(), QSize(600, 26));
    } else {
        QCOMPARE(label->size(), label->sizeHint());
        QVERIFY(label->width() < 300);
    }
}

void ResizeTest::skipsDestroyedControlsButReportsEveryRecord() {
    Form form;
    QWidget* first = form.add("Button1", QRect(10, 10, 50, 20));
    QWidget* gone = form.add("Button2", QRect(10, 40, 50, 20));
    QWidget* filling = form.add<QLabel>("Image3", QRect(0, 0, 400, 400));
    filling->setProperty("Align", QStringLiteral("alClient"));
    QWidget* last = form.add("Button3", QRect(10, 70, 50, 20));
    QList<QWidget*> controls;
    QList<QPair<double, double>> ratios;
    form.resizer->setOnPostResize([&](TFormResizer* sender, QWidget* c, double h, double w) {
        QCOMPARE(sender, form.resizer);
        controls << c;
        ratios << qMakePair(h, w);
    });
    form.resizer->RecordLayout();
    delete gone;
    QCOMPARE(form.resizer->records().size(), std::size_t(4));
    QCOMPARE(form.resizer->records()[1].control(), nullptr);

    form.resizeTo(QSize(600, 800));
    QCOMPARE(first->geometry(), QRect(15, 20, 75, 40));
    QCOMPARE(last->geometry(), QRect(15, 140, 75, 40));
    QCOMPARE(controls, (QList<QWidget*>{first, nullptr, filling, last}));
    QCOMPARE(ratios, (QList<QPair<double, double>>(4, qMakePair(2.0, 1.5))));
}

void ResizeTest::recordsOnceAndIgnoresEarlyResize() {
    Form form;
    QWidget* button = form.add("Button1", QRect(10, 10, 50, 20));
    int calls = 0;
    form.resizer->setOnPostResize([&](TFormResizer*, QWidget*, double, double) { ++calls; });
    form.resizeTo(QSize(800, 800));
    QCOMPARE(button->geometry(), QRect(10, 10, 50, 20));
    QCOMPARE(calls, 0);

    form.widget->resize(400, 400);
    form.resizer->RecordLayout();
    button->setGeometry(100, 100, 10, 10);
    QWidget* later = form.add("Button2", QRect(30, 30, 10, 10));
    form.resizer->RecordLayout();
    QCOMPARE(form.resizer->records().size(), std::size_t(1));
    QCOMPARE(form.resizer->recordedSize(), QSize(400, 400));
    form.resizeTo(QSize(800, 800));
    QCOMPARE(button->geometry(), QRect(20, 20, 100, 40));
    QCOMPARE(later->geometry(), QRect(30, 30, 10, 10));
}

void ResizeTest::findsTheDesignedControls() {
    QMainWindow window;
    window.setMenuBar(new QMenuBar);
    window.menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("centralwidget"));
    window.setCentralWidget(central);
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    named(new QLabel(central), "Label1");
    named(new QPushButton(new QWidget(central)), "UnderAnUnnamedWidget");
    QWidget* panel = named(new QFrame(central), "Panel1");
    named(new QLineEdit(panel), "Edit1");
    auto* tabs = static_cast<QTabWidget*>(named(new QTabWidget(central), "Tabs1"));
    QWidget* page = named(new QWidget, "Page1");
    tabs->addTab(page, QStringLiteral("Side"));
    named(new QPushButton(page), "Check1");
    named(new QTableView(central), "Grid1");
    auto* combo = static_cast<QComboBox*>(named(new QComboBox(central), "Combo1"));
    combo->setEditable(true);
    named(new Composite(central), "Nav1");
    QWidget* custom = named(new Composite(central), "Custom1");
    custom->setProperty("DesignedContainer", true);
    named(new QPushButton(custom), "Inner1");
    named(new QWidget(central, Qt::Tool), "AWindow");

    QStringList names;
    for (QWidget* w : TFormResizer::controlsOf(&window)) {
        names << w->objectName();
    }
    QCOMPARE(names, (QStringList{u"Label1"_s, u"Panel1"_s, u"Edit1"_s, u"Tabs1"_s, u"Page1"_s,
                                 u"Check1"_s, u"Grid1"_s, u"Combo1"_s, u"Nav1"_s, u"Custom1"_s,
                                 u"navFirst"_s, u"Inner1"_s}));
}

void ResizeTest::mainWindowScalesWithItsClientArea() {
    QMainWindow window;
    window.setMenuBar(new QMenuBar);
    window.menuBar()->addMenu(QStringLiteral("Funktioner"));
    window.setStatusBar(new QStatusBar);
    window.setCentralWidget(new QWidget);
    window.resize(400, 400);
    auto* button = new QPushButton(window.centralWidget());
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry(100, 100, 100, 50);
    auto* resizer = new TFormResizer(&window);
    resizer->RecordLayout();
    const QSize recorded = resizer->recordedSize();
    QVERIFY(recorded.height() < 400);

    window.resize(800, 400 + recorded.height());
    resizer->ResizeAll();
    QCOMPARE(window.centralWidget()->size(), QSize(800, 2 * recorded.height()));
    QCOMPARE(button->geometry(), QRect(200, 200, 200, 100));
}

void ResizeTest::enforcesMinimumSize() {
    QWidget holder;
    auto* panel = new QWidget(&holder);
    panel->resize(400, 400);
    auto* button = new QPushButton(panel);
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry(10, 20, 30, 40);
    TFormResizer resizer(panel);
    resizer.setEnforceMinSize(true);
    resizer.RecordLayout();
    panel->resize(300, 500);
    resizer.ResizeAll();
    QCOMPARE(panel->size(), QSize(400, 500));
    QCOMPARE(button->geometry(), QRect(10, 25, 30, 50));
}

void ResizeTest::reportsMisuse_data() {
    QTest::addColumn<int>("misuse");
    QTest::addColumn<QString>("text");
    QTest::newRow("no owner") << 0 << u"TFormResizer created without an owner"_s;
    QTest::newRow("owner not a widget") << 1 << u"TFormResizer owner must be a panel or form"_s;
    QTest::newRow("record without control")
        << 2 << u"TSingleResizer created without a component link"_s;
    QTest::newRow("record without parent")
        << 3 << u"TSingleResizer created without a parent form link"_s;
}

void ResizeTest::reportsMisuse() {
    QFETCH(int, misuse);
    QFETCH(QString, text);
    QObject notAWidget;
    QWidget widget;
    try {
        switch (misuse) {
            case 0:
                TFormResizer(nullptr);
                break;
            case 1:
                TFormResizer{&notAWidget};
                break;
            case 2:
                TSingleResizer(nullptr, &widget, true, 8, 48);
                break;
            default:
                TSingleResizer(&widget, nullptr, true, 8, 48);
        }
        QFAIL("no exception");
    } catch (const EResizerException& e) {
        QCOMPARE(e.message(), text);
        QCOMPARE(QString::fromUtf8(e.what()), text);
    }
    QVERIFY(notAWidget.children().isEmpty());
}

// The smallest size at which the tightest caption still shows: a button's caption across its
// width, a box's line of text in its height, whatever the control kind; labels fit themselves.
void ResizeTest::theMinimumSizeKeepsCaptionsWhole_data() {
    QTest::addColumn<QString>("caption");
    QTest::newRow("short") << u"Gem"_s;
    QTest::newRow("long") << u"Materialien schließen"_s;
}

void ResizeTest::theMinimumSizeKeepsCaptionsWhole() {
    QFETCH(QString, caption);
    Form form;
    auto* button = form.add("Button1", {10, 10, 200, 30});
    button->setText(u"&"_s + caption);
    auto* edit = form.add<QLineEdit>("Edit1", {10, 60, 150, 40});
    auto* label = form.add<QLabel>("Label1", {10, 120, 20, 13});
    label->setText(u"A label much longer than its box"_s);
    form.resizer->RecordLayout();
    const QSize least = form.resizer->minimumSize();
    QVERIFY(least.width() <= 400 && least.height() <= 400);
    const QFontMetrics fm(button->font());
    const int margins = button->style()->pixelMetric(QStyle::PM_ButtonMargin) +
                        2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int text = fm.horizontalAdvance(caption);
    // The button's caption decides the width, down to a third of the design.
    const double expected = std::max(400.0 * (text + margins) / 200, 0.3 * 400);
    QVERIFY2(std::abs(least.width() - expected) <= 5.0,
             qPrintable(QStringLiteral("%1, not %2").arg(least.width()).arg(expected)));
    form.resizeTo(least);
    QVERIFY(button->width() >= text + margins);
    QVERIFY(edit->height() >= QFontMetrics(edit->font()).height() + 2);
    // Never more than the recorded size, however long the caption.
    button->setText(QString(200, u'W'));
    QCOMPARE(form.resizer->minimumSize().width(), 400);
}

QTEST_MAIN(ResizeTest)
#include "tst_resize.moc"
