// SPDX-License-Identifier: GPL-3.0-or-later
#include "formresizer.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>
#include <climits>
#include <cmath>
#include <typeinfo>

namespace resize {

Q_LOGGING_CATEGORY(lcResize, "verdamo.resize")

namespace {

bool hasDesignerName(const QWidget* w) {
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

bool isDesignedContainer(const QWidget* w) {
    // The exact class, by RTTI so that a subclass without Q_OBJECT counts too: a control
    // derived from one of these places its own parts.
    const std::type_info& type = typeid(*w);
    return type == typeid(QWidget) || type == typeid(QFrame) || type == typeid(QGroupBox) ||
           type == typeid(QScrollArea) || type == typeid(QTabWidget) ||
           type == typeid(QStackedWidget) || w->property("DesignedContainer").toBool();
}

void collectControls(QWidget* container, QList<QWidget*>& out) {
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow()) {
            continue;
        }
        const bool designed = hasDesignerName(w);
        if (designed) {
            out.append(w);
        }
        const bool qtInternal = !designed && !w->objectName().isEmpty();
        if ((designed || qtInternal) && isDesignedContainer(w)) {
            collectControls(w, out);
        }
    }
}

bool managedBy(QLayout* layout, const QWidget* w) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w) {
            return true;
        }
        if (QLayout* inner = item->layout(); inner && managedBy(inner, w)) {
            return true;
        }
    }
    return false;
}

// An auto-sizing label is the default: the toolkit's labels take the width of their text.
bool autoSize(const QWidget* label) {
    const QVariant v = label->property("AutoSize");
    return !v.isValid() || v.toBool();
}

}  // namespace

int roundHalfEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= double(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= double(INT_MIN)) {
        return INT_MIN;
    }
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    return int(whole);
}

QWidget* clientArea(QWidget* form) {
    if (auto* mw = qobject_cast<QMainWindow*>(form)) {
        if (QWidget* central = mw->centralWidget()) {
            return central;
        }
    }
    return form;
}

// --- TSingleResizer ---

TSingleResizer::TSingleResizer(QWidget* control, QWidget* parent, bool resizeFonts, int minFontSize,
                               int maxFontSize)
    : m_control(control),
      m_resizeFonts(resizeFonts),
      m_minFontSize(minFontSize),
      m_maxFontSize(maxFontSize),
      m_parent(parent) {
    if (!control) {
        throw EResizerException(QStringLiteral("TSingleResizer created without a component link"));
    }
    if (!parent) {
        throw EResizerException(
            QStringLiteral("TSingleResizer created without a parent form link"));
    }
    const QRect g = control->geometry();
    m_height = g.height();
    m_left = g.x();
    m_top = g.y();
    m_width = g.width();
    m_hasFont = control->property("font").isValid();
    if (m_hasFont) {
        const QFont f = control->font();
        m_fontInPixels = f.pixelSize() > 0;
        m_fontSize = m_fontInPixels ? f.pixelSize() : f.pointSizeF();
    }
    const QSize client = clientArea(parent)->size();
    m_parentHeight = client.height();
    m_parentWidth = client.width();
    m_label = isTextLabel(control);
    m_scaleWidth = !m_label;
}

bool TSingleResizer::fillsParent(const QWidget* control) {
    const QVariant align = control->property("Align");
    if (align.isValid() && align.toString() == QLatin1String("alClient")) {
        return true;
    }
    QWidget* parent = control->parentWidget();
    QLayout* layout = parent ? parent->layout() : nullptr;
    return layout && managedBy(layout, control);
}

bool TSingleResizer::isTextLabel(const QWidget* control) {
    const auto* label = qobject_cast<const QLabel*>(control);
    return label && label->pixmap().isNull() && label->picture().isNull() && !label->movie();
}

double TSingleResizer::scaledFontSize(double heightRatio) const {
    // At the recorded height the size stays as given, fractions of a point included.
    double size = heightRatio == 1.0 ? m_fontSize : roundHalfEven(m_fontSize * heightRatio);
    double minimum = m_minFontSize;
    double maximum = m_maxFontSize;
    if (m_fontInPixels) {
        const double dpi = m_control->logicalDpiY();
        minimum = roundHalfEven(m_minFontSize * dpi / 72.0);
        maximum = roundHalfEven(m_maxFontSize * dpi / 72.0);
    }
    if (size > maximum) {
        size = maximum;
    }
    if (size < minimum) {
        size = minimum;
    }
    // Qt refuses sizes below one.
    return std::max(size, 1.0);
}

QFont TSingleResizer::fontAt(double heightRatio) const {
    QFont f = m_control ? m_control->font() : QFont();
    if (!m_hasFont || !m_resizeFonts || !m_control) {
        return f;
    }
    const double size = scaledFontSize(heightRatio);
    if (m_fontInPixels) {
        f.setPixelSize(roundHalfEven(size));
    } else {
        f.setPointSizeF(size);
    }
    return f;
}

bool TSingleResizer::fitsAt(double heightRatio, double widthRatio) const {
    const QWidget* c = m_control;
    if (!c) {
        return true;
    }
    const double size = scaledFontSize(heightRatio);
    auto need = std::find_if(m_needs.cbegin(), m_needs.cend(),
                             [size](const Need& n) { return n.fontSize == size; });
    if (need == m_needs.cend()) {
        m_needs.push_back(needAt(heightRatio));
        need = m_needs.cend() - 1;
    }
    if (need->always) {
        return true;
    }
    const int height = m_scaleHeight ? roundHalfEven(m_height * heightRatio) : c->height();
    const int width = m_scaleWidth ? roundHalfEven(m_width * widthRatio) : c->width();
    return need->width <= width && need->height <= height;
}

TSingleResizer::Need TSingleResizer::needAt(double heightRatio) const {
    const QWidget* c = m_control;
    Need need{scaledFontSize(heightRatio), true, 0, 0};
    // Hidden controls count too: the chooser, the materials panel show in the same window.
    if (fillsParent(c)) {
        return need;
    }
    const QFontMetrics fm(fontAt(heightRatio));
    auto plain = [](QString text) {
        text.replace(QLatin1String("&&"), QLatin1String("\x01"));
        text.remove(QLatin1Char('&'));
        return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    };
    auto needs = [&need](int width, int height) {
        need.always = false;
        need.width = width;
        need.height = height;
        return need;
    };
    if (const auto* b = qobject_cast<const QPushButton*>(c)) {
        if (b->text().isEmpty()) {
            return need;
        }
        const QStyle* st = b->style();
        return needs(fm.horizontalAdvance(plain(b->text())) +
                         st->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                         2 * st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b) +
                         (b->icon().isNull() ? 0 : b->iconSize().width() + 4),
                     fm.height());
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(c)) {
        if (b->text().isEmpty()) {
            return need;
        }
        // What the button adds to its caption (an indicator, a picture, margins) stays.
        const QString text = plain(b->text());
        const QFontMetrics now(c->font());
        const int added = std::max(0, b->sizeHint().width() - now.horizontalAdvance(text));
        return needs(fm.horizontalAdvance(text) + added, fm.height());
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(c)) {
        return needs(g->title().isEmpty() ? 0 : fm.horizontalAdvance(plain(g->title())) + 16, 0);
    }
    if (const auto* l = qobject_cast<const QLabel*>(c)) {
        // A label fits itself to its text after every scaling; one that keeps its box must
        // hold its text.
        const QVariant autoSize = l->property("AutoSize");
        if (!isTextLabel(l) || l->text().isEmpty() || l->wordWrap() || !autoSize.isValid() ||
            autoSize.toBool()) {
            return need;
        }
        return needs(fm.horizontalAdvance(l->text()), fm.height());
    }
    if (qobject_cast<const QLineEdit*>(c) || qobject_cast<const QComboBox*>(c)) {
        return needs(0, fm.height() + 2);
    }
    return need;
}

void TSingleResizer::setFontSize(double size) {
    QFont f = m_control->font();
    // A font already at its size is left alone: setting it tells the control and its children
    // of a change. Parents are scaled before their children, so a font a control inherits
    // is final by the time the control is scaled.
    if (m_fontInPixels ? f.pixelSize() == roundHalfEven(size) : f.pointSizeF() == size) {
        return;
    }
    if (m_fontInPixels) {
        f.setPixelSize(roundHalfEven(size));
    } else {
        f.setPointSizeF(size);
    }
    m_control->setFont(f);
    const QFont now = m_control->font();
    const bool taken =
        m_fontInPixels ? now.pixelSize() == f.pixelSize() : now.pointSizeF() == f.pointSizeF();
    if (!taken && !m_warnedStyleSheet) {
        m_warnedStyleSheet = true;
        qCWarning(lcResize, "the font size of %s is fixed by a style sheet and is not scaled",
                  qUtf8Printable(m_control->objectName()));
    }
}

void TSingleResizer::scale(int height, int width, double heightRatio, double widthRatio) {
    QWidget* c = m_control;
    if (!c || fillsParent(c)) {
        return;
    }
    const QRect now = c->geometry();
    int left = now.x();
    int top = now.y();
    int w = now.width();
    int h = now.height();
    const bool fonts = m_hasFont && m_resizeFonts;

    if (height == m_parentHeight && width == m_parentWidth) {
        // Back at the recorded size: the recorded values exactly, no rounding involved.
        if (m_scaleHeight) {
            h = m_height;
        }
        if (m_scaleLeft) {
            left = m_left;
        }
        if (m_scaleTop) {
            top = m_top;
        }
        if (m_scaleWidth) {
            w = m_width;
        }
        if (fonts) {
            setFontSize(m_fontSize);
        }
        c->setGeometry(left, top, w, h);
        // Assigning the font refits an auto-sizing label; without this a label shrunk
        // with its font would be cut off at the design size.
        if (m_label && autoSize(c)) {
            c->adjustSize();
        }
        return;
    }

    if (m_scaleHeight) {
        h = roundHalfEven(m_height * heightRatio);
    }
    if (m_scaleWidth) {
        w = roundHalfEven(m_width * widthRatio);
    }
    if (m_scaleLeft) {
        left = roundHalfEven(m_left * widthRatio);
    }
    if (m_scaleTop) {
        top = roundHalfEven(m_top * heightRatio);
    }
    if (fonts) {
        setFontSize(scaledFontSize(heightRatio));
    }
    c->setGeometry(left, top, w, h);
    if (m_label) {
        // Fitted to its text at the new font whatever its AutoSize, which is left as it was.
        c->adjustSize();
        c->update();
    }
}

// --- TFormResizer ---

namespace {

QObject* checkedOwner(QObject* owner) {
    if (!owner) {
        throw EResizerException(QStringLiteral("TFormResizer created without an owner"));
    }
    if (!owner->isWidgetType()) {
        throw EResizerException(QStringLiteral("TFormResizer owner must be a panel or form"));
    }
    return owner;
}

// A handler that resizes the form again gets its own pass; a handler that always does so
// must not hang the window.
constexpr int MaxPasses = 4;

}  // namespace

TFormResizer::TFormResizer(QObject* owner)
    : QObject(checkedOwner(owner)), m_owner(static_cast<QWidget*>(owner)) {}

// The records hold guarded references only: controls and fonts stay as they are.
TFormResizer::~TFormResizer() = default;

QList<QWidget*> TFormResizer::controlsOf(QWidget* form) {
    QList<QWidget*> controls;
    if (form) {
        collectControls(clientArea(form), controls);
    }
    return controls;
}

// A main window places its central widget in its own layout, which may not have run yet
// (before the first show, or with a layout request still pending).
QWidget* TFormResizer::laidOutClient() const {
    QWidget* client = clientArea(m_owner);
    if (client != m_owner) {
        if (QLayout* layout = m_owner->layout()) {
            layout->activate();
        }
    }
    return client;
}

void TFormResizer::RecordLayout() {
    if (m_recorded || !m_owner) {
        return;
    }
    m_recorded = true;
    // Style-sheet fonts are resolved by polishing.
    m_owner->ensurePolished();
    const QSize client = laidOutClient()->size();
    m_recordedHeight = client.height();
    m_recordedWidth = client.width();
    const QList<QWidget*> controls = controlsOf(m_owner);
    m_records.reserve(controls.size());
    for (QWidget* c : controls) {
        m_records.emplace_back(c, m_owner, m_resizeFonts, m_minFontSize, m_maxFontSize);
    }
}

void TFormResizer::ResizeAll() {
    // Before recording, and for a form recorded without a size, the ratios mean nothing.
    if (!m_recorded || !m_owner || m_recordedHeight <= 0 || m_recordedWidth <= 0) {
        return;
    }
    if (m_resizing) {
        m_resizeAgain = true;
        return;
    }
    m_resizing = true;
    const auto done = qScopeGuard([this] { m_resizing = false; });
    int passes = 0;
    do {
        m_resizeAgain = false;
        resizeOnce();
    } while (m_resizeAgain && ++passes < MaxPasses);
}

void TFormResizer::resizeOnce() {
    QWidget* client = laidOutClient();
    if (m_enforceMinSize) {
        const QSize missing =
            (QSize(m_recordedWidth, m_recordedHeight) - client->size()).expandedTo(QSize(0, 0));
        if (missing.width() > 0 || missing.height() > 0) {
            // The resize this causes comes back as a further pass, or later from the window
            // system; this pass scales to the size as it stands now.
            m_owner->resize(m_owner->size() + missing);
            client = laidOutClient();
        }
    }
    const int height = client->height();
    const int width = client->width();
    const double heightRatio = double(height) / m_recordedHeight;
    const double widthRatio = double(width) / m_recordedWidth;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        m_records[i].scale(height, width, heightRatio, widthRatio);
        DoPostResize(this, m_records[i].control(), heightRatio, widthRatio);
    }
}

QSize TFormResizer::minimumSize() const {
    if (!m_recorded || !m_owner || m_recordedHeight <= 0 || m_recordedWidth <= 0) {
        return {};
    }
    // The captions may have changed since the last search (another language).
    for (const TSingleResizer& r : m_records) {
        r.forgetNeeds();
    }
    auto all = [this](double h, double w) {
        return std::all_of(m_records.begin(), m_records.end(),
                           [h, w](const TSingleResizer& r) { return r.fitsAt(h, w); });
    };
    // Fonts follow the height alone: the height first, then the width at that height's fonts.
    constexpr double Step = 0.01;
    constexpr double Least = 0.3;
    double height = 1.0;
    while (height - Step >= Least && all(height - Step, 1.0)) {
        height -= Step;
    }
    double width = 1.0;
    while (width - Step >= Least && all(height, width - Step)) {
        width -= Step;
    }
    // The frame of the client area (a main window's menu bar) comes on top.
    const QSize chrome = m_owner->size() - clientArea(m_owner)->size();
    return QSize(int(std::ceil(m_recordedWidth * width)),
                 int(std::ceil(m_recordedHeight * height))) +
           chrome.expandedTo(QSize(0, 0));
}

void TFormResizer::DoPostResize(TFormResizer* sender, QWidget* control, double heightRatio,
                                double widthRatio) {
    if (m_onPostResize) {
        m_onPostResize(sender, control, heightRatio, widthRatio);
    }
}

TFormResizer* makeFormResizer(QWidget* window) {
    auto* resizer = new TFormResizer(window);
    resizer->setObjectName(QStringLiteral("FormResizer1"));
    resizer->setResizeFonts(true);
    resizer->setMinFontSize(8);
    resizer->setMaxFontSize(48);
    resizer->RecordLayout();
    return resizer;
}

}  // namespace resize
