#include "ui/main/ShortcutsWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/common/CommandTable.h"
#include "ui/editor/EditorCommands.h"
#include "ui/main/FileListWidget.h"

namespace Ui {

namespace {

// Two keys on one line, more one below the other, so that the column stays narrow.
QString keyText(const QList<QKeySequence>& keys) {
    QStringList texts;
    for (const QKeySequence& k : keys)
        texts << k.toString(QKeySequence::NativeText);
    return texts.join(texts.size() > 2 ? QStringLiteral("\n") : QStringLiteral(", "));
}

QString commandText(const QAction& action) {
    return QString(action.text()).remove(QLatin1Char('&'));
}

QTreeWidgetItem* section(QTreeWidget& tree, const QString& title) {
    auto* item = new QTreeWidgetItem(&tree, {title});
    item->setFirstColumnSpanned(true);
    QFont bold = item->font(0);
    bold.setBold(true);
    item->setFont(0, bold);
    item->setExpanded(true);
    return item;
}

void addRow(QTreeWidgetItem* parent, const QList<QKeySequence>& keys, const QString& what) {
    if (!keys.isEmpty()) new QTreeWidgetItem(parent, {keyText(keys), what});
}

// Each command once, with its own keys and the list's letter keys that trigger it.
void addCommands(QTreeWidgetItem* parent, const QList<QAction*>& actions,
                 const std::vector<std::pair<Qt::Key, QAction*>>& letterKeys) {
    for (QAction* a : actions) {
        QList<QKeySequence> keys = a->shortcuts();
        for (const auto& [key, bound] : letterKeys)
            if (bound == a) keys << QKeySequence(key);
        addRow(parent, keys, commandText(*a));
    }
}

void addEditorKeys(QTreeWidgetItem* parent) {
    // The editor's own table, built as its window builds it.
    QWidget scratch;
    QMenuBar bar(&scratch);
    CommandTable editor(&scratch);
    buildEditorMenus(bar, editor);
    addCommands(parent, editor.all(), {});
    for (const ViewKey& k : editorViewKeys())
        addRow(parent, k.keys, QCoreApplication::translate("Command", k.what));
}

} // namespace

ShortcutsWindow::ShortcutsWindow(const CommandTable& commands, const FileListWidget& list,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ShortcutsWindow"));
    setWindowTitle(tr("Keyboard shortcuts"));
    keys = new QTreeWidget(this);
    keys->setObjectName(QStringLiteral("shortcuts"));
    keys->setColumnCount(2);
    keys->setHeaderLabels({tr("Key"), tr("Command")});
    keys->setRootIsDecorated(false);
    keys->setAlternatingRowColors(true);
    keys->setSelectionMode(QAbstractItemView::NoSelection);

    QTreeWidgetItem* batch = section(*keys, tr("Batch list"));
    addCommands(batch, commands.all(), list.boundKeys());
    for (const SelectionKey& k : kSelectionKeys)
        addRow(batch, {QKeySequence(k.key)},
               QCoreApplication::translate("Ui::FileListWidget", k.what));
    addEditorKeys(section(*keys, tr("Wave editor")));
    keys->expandAll();
    keys->resizeColumnToContents(0);
    keys->setColumnWidth(0, keys->columnWidth(0) + 16);
    keys->header()->setStretchLastSection(true);
    keys->setFocusPolicy(Qt::NoFocus);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keys);
    layout->addWidget(buttons);
    resize(580, 660);
}

} // namespace Ui
