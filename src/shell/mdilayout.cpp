// The main window's geometry: the user's window settings, the panes, keeping the window on the
// screen, and the places of the panels in the client area.
#include "frmMDI.h"

#include "panelkit/AppState.h"
#include "services/clsRegKey.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QtMath>

namespace {

// Room kept around the main window for the window manager's frame and caption bar, which are
// not known before the window is first shown.
const QMargins kFrameAllowance(4, 36, 4, 4);
// The client area keeps at least this width beside the left pane.
constexpr int kMinClientWidth = 240;

} // namespace

QString frmMDI::windowSettingsFile()
{
    // Beside the registry store: the user's config directory, or a test's own folder.
    return QFileInfo(clsRegKey::StorePath()).absolutePath() + QStringLiteral("/window.ini");
}

int frmMDI::naturalLeftPaneWidth(int splitWidth) const
{
    // A typical request line with its number and time is read whole; names a little longer
    // than these get room too while the pane keeps within 44 % of the window.
    const QString line = QStringLiteral("[999] 00:00:00 Wss(\"Default\").Ctrls(\"RC1\").Vars(\"V1\").get_Value()");
    const QString longerNames(12, QLatin1Char('0'));
    // The pane's and the log's margins, the log's scroll bar and the caret.
    const int chrome = 2 * qCeil(m_log->document()->documentMargin()) + 2 * m_log->frameWidth()
                       + m_log->verticalScrollBar()->sizeHint().width() + 8;
    const QFontMetrics metrics = m_log->fontMetrics();
    const int typical = metrics.horizontalAdvance(line) + chrome;
    const int roomy = metrics.horizontalAdvance(line + longerNames) + chrome;
    return qMax(typical, qMin(roomy, splitWidth * 44 / 100));
}

void frmMDI::restoreLayout()
{
    QSettings settings(windowSettingsFile(), QSettings::IniFormat);
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry().marginsRemoved(kFrameAllowance) : QRect(0, 0, 1280, 820);
    QSize size(settings.value(QStringLiteral("MainWindow/Width")).toInt(),
               settings.value(QStringLiteral("MainWindow/Height")).toInt());
    if (size.width() <= 0 || size.height() <= 0)
        size = room.size();
    QRect geometry(QPoint(), size.boundedTo(room.size()));
    geometry.moveCenter(room.center());
    setGeometry(geometry);
    if (settings.value(QStringLiteral("MainWindow/Maximized"), false).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        m_framePending = true;
    m_paneSizes = {settings.value(QStringLiteral("MainWindow/LeftPane"), -1).toInt(),
                   settings.value(QStringLiteral("MainWindow/TreeHeight"), -1).toInt()};
    if (hasApp())
        app().lastFolder = settings.value(QStringLiteral("Dialogs/LastFolder")).toString();
}

void frmMDI::saveLayout()
{
    QSettings settings(windowSettingsFile(), QSettings::IniFormat);
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    settings.setValue(QStringLiteral("MainWindow/Width"), normal.width());
    settings.setValue(QStringLiteral("MainWindow/Height"), normal.height());
    settings.setValue(QStringLiteral("MainWindow/Maximized"), isMaximized());
    // A hidden pane keeps the size it had when it was last shown.
    if (m_picFrame->isVisible())
        settings.setValue(QStringLiteral("MainWindow/LeftPane"), m_vSplit->sizes().value(0));
    if (m_objectPart->isVisible() && m_logPart->isVisible())
        settings.setValue(QStringLiteral("MainWindow/TreeHeight"), m_hSplit->sizes().value(0));
    if (hasApp() && !app().lastFolder.isEmpty())
        settings.setValue(QStringLiteral("Dialogs/LastFolder"), app().lastFolder);
}

void frmMDI::keepOnScreen()
{
    QScreen *screen = this->screen();
    if (!screen || isMaximized() || isFullScreen())
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame = frameGeometry();
    if (available.contains(frame))
        return;
    const QSize decoration = frame.size() - size();
    const QSize client = size().boundedTo(available.size() - decoration);
    resize(client);
    QRect placed(frame.topLeft(), client + decoration);
    placed.moveLeft(qBound(available.left(), placed.left(), available.right() + 1 - placed.width()));
    placed.moveTop(qBound(available.top(), placed.top(), available.bottom() + 1 - placed.height()));
    move(placed.topLeft()); // a window's position is that of its frame
}

void frmMDI::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_laidOut)
        return;
    m_laidOut = true;
    // The panes now that the window has its size: the remembered ones, else a left pane that
    // shows a request line whole; the client area keeps some room on a very small screen.
    const int width = m_vSplit->width();
    const int remembered = m_paneSizes.value(0, -1);
    int left = qMin(remembered > 0 ? remembered : naturalLeftPaneWidth(width), width - kMinClientWidth);
    left = qMax(left, m_picFrame->minimumSizeHint().width());
    m_vSplit->setSizes({left, qMax(0, width - left - m_vSplit->handleWidth())});
    if (const int tree = m_paneSizes.value(1, -1); tree > 0) {
        const int height = m_hSplit->height() - m_hSplit->handleWidth();
        const int top = qMin(tree, height - m_logPart->minimumHeight());
        m_hSplit->setSizes({top, qMax(0, height - top)});
    }
    // Panels shown before the window was are placed now that the client area has its size.
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->isVisible() && !frame->property(kPlacedProperty).toBool())
            placePanel(frame);
    }
}

void frmMDI::placePanel(QMdiSubWindow *frame)
{
    frame->setProperty(kPlacedProperty, true);
    const QSize area = m_mdi->viewport()->size();
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
    const QSize minimum = frame->minimumSizeHint();
    const QSize full = frame->sizeHint().boundedTo(area).expandedTo(minimum);
    // Further down the cascade a frame may give up a tenth of its size, never below its minimum;
    // a frame that would have to give up more starts the cascade again.
    QPoint at(m_cascade * step, m_cascade * step);
    QSize size = full.boundedTo(area - QSize(at.x(), at.y())).expandedTo(minimum);
    const bool fits = at.x() + size.width() <= area.width() && at.y() + size.height() <= area.height();
    if (!fits || size.width() * 10 < full.width() * 9 || size.height() * 10 < full.height() * 9) {
        at = QPoint(0, 0);
        size = full;
        m_cascade = 0;
    }
    frame->setGeometry(QRect(at, size));
    ++m_cascade;
}

void frmMDI::closeAllWindows()
{
    for (QMdiSubWindow *frame : m_mdi->subWindowList())
        frame->hide();
}
