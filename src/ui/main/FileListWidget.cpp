#include "ui/main/FileListWidget.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/common/Dialogs.h"
#include "ui/main/BackgroundOverviews.h"
#include "ui/main/RowWaveformView.h"
#include "ui/main/RowWidget.h"

namespace Ui {

FileListWidget::FileListWidget(App::BatchList& model, QWidget* parent)
    : QScrollArea(parent), list(model) {
    setObjectName(QStringLiteral("FileList"));
    setAccessibleName(tr("Batch list"));
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    rowsHost = new QWidget;
    rowsHost->setObjectName(QStringLiteral("rows"));
    rowsLayout = new QVBoxLayout(rowsHost);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    // What an empty list is for, where the rows will be.
    emptyHint = new QLabel(tr("The batch list is empty.\nAdd audio files or folders: drop them "
                              "here, or press O."),
                           rowsHost);
    emptyHint->setObjectName(QStringLiteral("EmptyHint"));
    emptyHint->setAlignment(Qt::AlignCenter);
    emptyHint->setWordWrap(true);
    emptyHint->setMargin(24);
    rowsLayout->addWidget(emptyHint, 4);
    rowsLayout->addStretch(1);
    setWidget(rowsHost);
    viewport()->setAcceptDrops(true);
    scans = new BackgroundOverviews(this);
    connect(scans, &BackgroundOverviews::outlineReady, this,
            [this](App::CFileRow* row, const std::vector<float>& outline) {
                if (RowWidget* w = widgetOf(*row)) w->setOutline(outline);
            });
}

RowWidget* FileListWidget::widgetOf(const App::CFileRow& row) const {
    const auto it = widgets.find(&row);
    return it == widgets.end() ? nullptr : it->second;
}

void FileListWidget::syncRows() {
    std::map<const App::CFileRow*, RowWidget*> kept;
    for (std::size_t i = 0; i < list.size(); ++i) {
        App::CFileRow& row = list.row(i);
        RowWidget* w = widgetOf(row);
        if (!w) {
            w = new RowWidget(row, rowsHost);
            connect(w, &RowWidget::clicked, this, &FileListWidget::rowClicked);
            connect(w, &RowWidget::doubleClicked, this, [this](RowWidget* r) {
                list.selectOnly(*list.indexOf(r->row()));
                emit rowActivated(r->row());
            });
            connect(w, &RowWidget::timeUnitChosen, this, [this](RowWidget* r, int unit, bool ctrl) {
                emit timeUnitChosen(r->row(), unit, ctrl);
                r->refresh();
            });
            connect(w, &RowWidget::editorRequested, this,
                    [this](RowWidget* r) { emit editorRequested(r->row()); });
        }
        rowsLayout->insertWidget(static_cast<int>(i), w);
        if (!row.getOverview() && !w->waveform()->hasOutline()) scans->request(row);
        kept[&row] = w;
        widgets.erase(&row);
    }
    // The widgets of removed rows: their rows are gone, so they go unseen and with the next
    // turn of the event loop.
    for (auto& [row, w] : widgets) {
        rowsLayout->removeWidget(w);
        w->hide();
        w->deleteLater();
    }
    widgets = std::move(kept);
    emptyHint->setVisible(list.empty());
    refreshRows();
}

void FileListWidget::refreshRows() {
    for (auto& [row, w] : widgets)
        w->refresh();
    emit selectionChanged();
}

void FileListWidget::rowClicked(RowWidget* row, bool shift) {
    if (const auto index = list.indexOf(row->row())) list.click(*index, shift);
    setFocus();
    refreshRows();
}

void FileListWidget::bindKey(Qt::Key key, QAction* action, bool beforeAnyRow) {
    keys[key] = {action, beforeAnyRow};
}

// --- keys and drops -------------------------------------------------------------------------

std::vector<std::pair<Qt::Key, QAction*>> FileListWidget::boundKeys() const {
    std::vector<std::pair<Qt::Key, QAction*>> bound;
    for (const auto& [key, binding] : keys)
        bound.emplace_back(static_cast<Qt::Key>(key), binding.action);
    return bound;
}

bool FileListWidget::moveSelection(App::BatchList::Key move) {
    list.key(move);
    refreshRows();
    if (App::CFileRow* first = list.firstSelected())
        if (RowWidget* w = widgetOf(*first)) ensureWidgetVisible(w);
    return true;
}

bool FileListWidget::handleKey(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    for (const SelectionKey& k : kSelectionKeys)
        if (k.key == key) return moveSelection(k.move);
    const auto bound = keys.find(key);
    if (bound == keys.end()) return false;
    const auto& [action, beforeAnyRow] = bound->second;
    if (!beforeAnyRow && !list.hadRows()) return false;
    // A held key repeats only the commands that are meant to act again and again.
    if (!event->isAutoRepeat() || action->autoRepeat()) action->trigger();
    return true;
}

void FileListWidget::keyPressEvent(QKeyEvent* event) {
    try {
        if (handleKey(event)) return event->accept();
    } catch (...) {
        Dialogs::current().message(this, tr("CFileScroll::OnChar() unknown error!"), kAppTitle);
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FileListWidget::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    emit filesDropped(paths);
}

} // namespace Ui
