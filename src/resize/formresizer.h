// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <vector>

// Proportional scaling of a window's controls and fonts.
//
// The ratios compare the client area now with the client area when the layout was recorded:
// the form's own QWidget::size(), or its central widget's size for a QMainWindow. Windows keep
// their stored heights and widths as outer sizes; the resizer never sees the frame, the menu
// bar or a status bar, and never moves the top-level window itself.
//
// Controls are the form's designer-made descendants, in creation order:
//  - a child widget of the client area, or of a designed container below it, that is not a
//    window and has a designer name (a non-empty objectName not starting with "qt_");
//  - designed containers are widgets whose class is exactly QWidget, QFrame, QGroupBox,
//    QScrollArea, QTabWidget or QStackedWidget, or that carry the dynamic property
//    "DesignedContainer" = true; Qt's own "qt_*" containers of these classes (a tab widget's
//    page stack, a scroll area's viewport) are passed through without being recorded;
//  - nothing below an unnamed widget or a composite control (a view's headers, a combo box's
//    line edit, a record navigator's buttons) is recorded: the composite places its parts.
//
// A control fills its parent, and is never moved, sized or re-fonted, when a layout manages it
// or it carries the dynamic property "Align" = "alClient" (for a control the window keeps
// filling itself).
//
// The label family is QLabel and its subclasses showing text; a QLabel showing a picture or
// a movie is a picture and scales like any control. A label keeps its width and, after every
// scaled resize, fits itself to its text (QWidget::adjustSize()) whatever its "AutoSize";
// the dynamic property "AutoSize" (true when absent) is only read, for the restore at the
// recorded size.
//
// Fonts: the size is kept in the unit the font was given in, points or pixels. MinFontSize
// and MaxFontSize are points; for a pixel font they are converted at the control's logical
// DPI. A font size fixed by a style sheet wins over QWidget::setFont() and is not scaled
// (a warning names the control once): give such sizes to the QFont instead.
namespace resize {

class EResizerException final : public std::exception {
public:
    explicit EResizerException(QString message)
        : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
};

// The nearest integer, an exact half going to the even neighbour (12.5 → 12, 37.5 → 38);
// saturates at the int range.
int roundHalfEven(double value);

// The widget whose size drives the scaling: a main window's central widget, else the form.
QWidget* clientArea(QWidget* form);

// The record of one control, taken once and scaled from on every resize.
class TSingleResizer final {
public:
    TSingleResizer(QWidget* control, QWidget* parent, bool resizeFonts, int minFontSize,
                   int maxFontSize);

    // Places the control for a client area of height x width; the ratios are against the
    // recorded client area.
    void scale(int height, int width, double heightRatio, double widthRatio);

    QWidget* control() const { return m_control; }  // null once the control is destroyed
    QWidget* parent() const { return m_parent; }
    bool scaleHeight() const { return m_scaleHeight; }
    bool scaleLeft() const { return m_scaleLeft; }
    bool scaleTop() const { return m_scaleTop; }
    bool scaleWidth() const { return m_scaleWidth; }
    bool resizeFonts() const { return m_resizeFonts; }
    int minFontSize() const { return m_minFontSize; }
    int maxFontSize() const { return m_maxFontSize; }
    bool hasFont() const { return m_hasFont; }
    QRect recordedGeometry() const { return {m_left, m_top, m_width, m_height}; }
    QSize recordedParentSize() const { return {m_parentWidth, m_parentHeight}; }
    double recordedFontSize() const { return m_fontSize; }
    bool fontInPixels() const { return m_fontInPixels; }
    bool isLabel() const { return m_label; }

    static bool fillsParent(const QWidget* control);
    static bool isTextLabel(const QWidget* control);

    // The control's font as a scaling by the height ratio gives it.
    QFont fontAt(double heightRatio) const;
    // Whether the control's caption, title or text still shows whole when the client area is
    // scaled by these ratios: a button's caption across its width, a line of text in its
    // height. Controls that show no caption always fit.
    // The room the caption needs is kept per font size until forgetNeeds: a search for the
    // least size asks at many ratios, while the captions stay the same.
    bool fitsAt(double heightRatio, double widthRatio) const;
    void forgetNeeds() const { m_needs.clear(); }

private:
    struct Need {
        double fontSize;
        bool always;  // shows no caption, fits at any size
        int width;
        int height;
    };
    Need needAt(double heightRatio) const;
    double scaledFontSize(double heightRatio) const;
    void setFontSize(double size);

    QPointer<QWidget> m_control;
    bool m_scaleHeight = true;
    bool m_scaleLeft = true;
    bool m_scaleTop = true;
    bool m_scaleWidth = true;
    bool m_resizeFonts;
    int m_minFontSize;
    int m_maxFontSize;
    bool m_hasFont = false;
    bool m_fontInPixels = false;
    bool m_label = false;
    bool m_warnedStyleSheet = false;
    mutable std::vector<Need> m_needs;
    int m_height = 0;
    int m_parentHeight = 0;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_parentWidth = 0;
    double m_fontSize = 0;  // points or pixels, as the font was given
    QPointer<QWidget> m_parent;
};

// Scales the controls of the form (or panel) that owns it. The form calls RecordLayout() once
// its controls exist, as the last step of building it, and ResizeAll() from its resizeEvent():
//
//     void TRegForm::resizeEvent(QResizeEvent* e) {
//         QWidget::resizeEvent(e);
//         FormResizer1->ResizeAll();
//     }
//
// ResizeAll() before RecordLayout() does nothing, so the resize events Qt sends while the
// form is still being built are harmless.
class TFormResizer final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ResizeFonts READ ResizeFonts WRITE setResizeFonts)
    Q_PROPERTY(int MinFontSize READ MinFontSize WRITE setMinFontSize)
    Q_PROPERTY(int MaxFontSize READ MaxFontSize WRITE setMaxFontSize)
    Q_PROPERTY(bool EnforceMinSize READ EnforceMinSize WRITE setEnforceMinSize)

public:
    // Runs after each record is handled, also for a record whose control is gone (null) or
    // was left alone. It must not destroy the resizer.
    using TPostResizeEvent = std::function<void(TFormResizer* sender, QWidget* control,
                                                double heightRatio, double widthRatio)>;

    // The owner must be a QWidget; the resizer is its child and dies with it.
    explicit TFormResizer(QObject* owner);
    ~TFormResizer() override;

    bool ResizeFonts() const { return m_resizeFonts; }
    void setResizeFonts(bool on) { m_resizeFonts = on; }
    int MinFontSize() const { return m_minFontSize; }
    void setMinFontSize(int points) { m_minFontSize = points; }
    int MaxFontSize() const { return m_maxFontSize; }
    void setMaxFontSize(int points) { m_maxFontSize = points; }
    // Grows the form back whenever its client area is smaller than the recorded one.
    bool EnforceMinSize() const { return m_enforceMinSize; }
    void setEnforceMinSize(bool on) { m_enforceMinSize = on; }
    const TPostResizeEvent& OnPostResize() const { return m_onPostResize; }
    void setOnPostResize(TPostResizeEvent handler) { m_onPostResize = std::move(handler); }

    // Records the client size and every control; later calls do nothing, and controls
    // created afterwards are not tracked.
    void RecordLayout();
    // Scales every recorded control from its recorded state to the current client size.
    void ResizeAll();

    bool IsRecorded() const { return m_recorded; }
    QSize recordedSize() const { return {m_recordedWidth, m_recordedHeight}; }
    const std::vector<TSingleResizer>& records() const { return m_records; }

    // The controls RecordLayout() would record for this form, in order.
    static QList<QWidget*> controlsOf(QWidget* form);

    // The smallest size of the form at which every caption still shows whole in its scaled
    // font (its captions as they read now), never more than the recorded size: the form's
    // minimum size. The form asks again when its captions change language.
    QSize minimumSize() const;

private:
    void DoPostResize(TFormResizer* sender, QWidget* control, double heightRatio,
                      double widthRatio);
    QWidget* laidOutClient() const;
    void resizeOnce();

    QPointer<QWidget> m_owner;
    bool m_resizeFonts = false;
    int m_minFontSize = 8;
    int m_maxFontSize = 48;
    bool m_enforceMinSize = false;
    TPostResizeEvent m_onPostResize;
    int m_recordedHeight = 0;
    int m_recordedWidth = 0;
    std::vector<TSingleResizer> m_records;
    bool m_recorded = false;
    bool m_resizing = false;
    bool m_resizeAgain = false;
};

// The program's windows all scale alike, fonts included, kept between 8 and 48 points: makes
// the window's "FormResizer1" so and records the design layout the window has now.
TFormResizer* makeFormResizer(QWidget* window);

}  // namespace resize
