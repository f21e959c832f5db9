#include "ui/editor/EditorCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <map>
#include <vector>

#include "ui/common/CommandTable.h"

namespace Ui {

using namespace EditorCommand;

namespace {

#define CMD(text) QT_TRANSLATE_NOOP("Command", text)

using K = QKeySequence;

// A command in its menu; "a/b" is submenu b of menu a; id 0 is a separator.
struct MenuEntry {
    const char* menu;
    Command command;
};

std::vector<MenuEntry> editorTable() {
    const char* file = CMD("&File");
    const char* edit = CMD("&Edit");
    // A submenu's path: each part is translated on its own.
    const char* styles = "&Edit/Line &style of the selection";
    static_cast<void>(CMD("Line &style of the selection"));
    const char* points = CMD("&Points");
    const char* view = CMD("&View");
    const char* snapshots = CMD("&Snapshots");
    const char* play = CMD("P&lay");
    return {
        {file, {kNew, CMD("&New dynamic settings"), {K(Qt::CTRL | Qt::Key_N)}}},
        {file, {kOpen, CMD("&Open dynamic settings..."), {K(Qt::CTRL | Qt::Key_O)}}},
        {nullptr, {kOpenStandard, CMD("Open...")}},
        {file, {kSave, CMD("&Save dynamic settings"), {K(Qt::CTRL | Qt::Key_S)}}},
        {file, {kSaveAs, CMD("Save dynamic settings &as...")}},
        {file, {}},
        {file, {kClose, CMD("&Close"), {K(Qt::ALT | Qt::Key_F4)}}},
        {edit, {kUndo, CMD("&Undo"), {K(Qt::CTRL | Qt::Key_Z)}, nullptr, false, true}},
        {edit, {kRedo, CMD("&Redo"), {K(Qt::CTRL | Qt::Key_Y)}, nullptr, false, true}},
        {edit, {}},
        {edit, {kCut, CMD("Cu&t"), {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}}},
        {edit, {kCopy, CMD("&Copy"), {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}}},
        {edit, {kPaste, CMD("&Paste"), {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}}},
        {edit, {kDelete, CMD("&Delete"), {K(Qt::Key_Delete), K(Qt::Key_Backspace)}}},
        {edit, {}},
        {edit, {kSelectAll, CMD("Select &all"), {K(Qt::CTRL | Qt::Key_A)}}},
        {edit, {kInvert, CMD("&Invert selection"), {K(Qt::CTRL | Qt::Key_I)}}},
        {styles, {kStyleLinear, CMD("&Linear")}},
        {styles, {kStyleSquare, CMD("&Square")}},
        {styles, {kStyleKeep, CMD("&Keep")}},
        {points, {kNewLinear, CMD("New points &linear"), {K(Qt::Key_A)}, nullptr, true}},
        {points, {kNewSquare, CMD("New points &square"), {K(Qt::Key_S)}, nullptr, true}},
        {points, {kNewKeep, CMD("New points &keep"), {}, nullptr, true}},
        {points, {}},
        {points, {kScaleTime, CMD("&Time curve"), {K(Qt::Key_F1)}, nullptr, true}},
        {points, {kScaleTime + 1, CMD("&Pitch curve"), {K(Qt::Key_F2)}, nullptr, true}},
        {points, {kScaleTime + 2, CMD("&Formant curve"), {K(Qt::Key_F3)}, nullptr, true}},
        {points, {}},
        {points, {kShowTime, CMD("Show t&ime curve"), {K(Qt::Key_F5)}, nullptr, true}},
        {points, {kShowTime + 1, CMD("Show p&itch curve"), {K(Qt::Key_F6)}, nullptr, true}},
        {points, {kShowTime + 2, CMD("Show f&ormant curve"), {K(Qt::Key_F7)}, nullptr, true}},
        {view, {kPercent, CMD("Time values in &percent"), {}, nullptr, true}},
        {view, {kBpm, CMD("Time values in &BPM"), {}, nullptr, true}},
        {view, {}},
        {view, {kClock, CMD("Ruler in &clock time"), {}, nullptr, true}},
        {view, {kMusical, CMD("Ruler in &musical time"), {}, nullptr, true}},
        {view, {kTempo, CMD("&Tempo...")}},
        {view, {}},
        {view, {kZoomIn, CMD("Zoom &in"), {K(Qt::CTRL | Qt::Key_Right)}, nullptr, false, true}},
        {view, {kZoomOut, CMD("Zoom &out"), {K(Qt::CTRL | Qt::Key_Left)}, nullptr, false, true}},
        {view, {kOneToOne, CMD("Zoom &1:1")}},
        {view, {kFit, CMD("Zoom to &fit")}},
        {view, {kZoomUp, CMD("Zoom values i&n"), {K(Qt::CTRL | Qt::Key_Up)}, nullptr, false, true}},
        {view,
         {kZoomDown, CMD("Zoom values o&ut"), {K(Qt::CTRL | Qt::Key_Down)}, nullptr, false, true}},
        {view, {}},
        {view, {kInfoLine, CMD("Refresh file &information")}},
        {snapshots, {kStoreA, CMD("Store snapshot A"), {K(Qt::CTRL | Qt::Key_1)}}},
        {snapshots, {kStoreA + 1, CMD("Store snapshot B"), {K(Qt::CTRL | Qt::Key_2)}}},
        {snapshots, {kStoreA + 2, CMD("Store snapshot C"), {K(Qt::CTRL | Qt::Key_3)}}},
        {snapshots, {kStoreA + 3, CMD("Store snapshot D"), {K(Qt::CTRL | Qt::Key_4)}}},
        {snapshots, {}},
        {snapshots, {kRecallA, CMD("Recall snapshot A"), {K(Qt::Key_1)}}},
        {snapshots, {kRecallA + 1, CMD("Recall snapshot B"), {K(Qt::Key_2)}}},
        {snapshots, {kRecallA + 2, CMD("Recall snapshot C"), {K(Qt::Key_3)}}},
        {snapshots, {kRecallA + 3, CMD("Recall snapshot D"), {K(Qt::Key_4)}}},
        {play, {kPlay, CMD("&Play"), {K(Qt::Key_Return), K(Qt::KeypadModifier | Qt::Key_Enter)}}},
        {play, {kStop, CMD("&Stop"), {K(Qt::KeypadModifier | Qt::Key_0)}}},
        {play, {kPreview, CMD("P&review"), {K(Qt::KeypadModifier | Qt::Key_Plus)}}},
        {play, {kPlayPreview, CMD("Play the finished previe&w")}},
        {play,
         {kPlayProcessed,
          CMD("Play pro&cessed"),
          {K(Qt::SHIFT | Qt::Key_Return),
           K(Qt::ShiftModifier | Qt::KeypadModifier | Qt::Key_Enter)},
          CMD("Play from the cursor along the curves, computed while it plays; edits are heard "
              "at once")}},
        {play, {}},
        {play,
         {kFreeEdit,
          CMD("&Free edit mode"),
          {},
          CMD("\nIn Free Edit Mode one click is enough to add a new mark point"),
          true}},
    };
}

QString translated(const QString& text) {
    return QCoreApplication::translate("Command", text.toUtf8().constData());
}

// The menu of a path "a/b", made when first asked for.
QMenu* menuAt(QMenuBar& bar, std::map<QString, QMenu*>& menus, const QString& path) {
    if (const auto it = menus.find(path); it != menus.end()) return it->second;
    const auto slash = path.lastIndexOf(QLatin1Char('/'));
    QMenu* made =
        slash < 0 ? bar.addMenu(translated(path))
                  : menuAt(bar, menus, path.left(slash))->addMenu(translated(path.mid(slash + 1)));
    menus[path] = made;
    return made;
}

} // namespace

QList<ViewKey> editorViewKeys() {
    return {
        {{K(Qt::Key_Space)}, CMD("Play or stop")},
        {{K(Qt::Key_Escape)}, CMD("Cancel the drag or the selection under way")},
        {{K(Qt::SHIFT | Qt::Key_Left), K(Qt::SHIFT | Qt::Key_Right), K(Qt::SHIFT | Qt::Key_Up),
          K(Qt::SHIFT | Qt::Key_Down)},
         CMD("Move the selected points by one pixel")},
        {{K(Qt::Key_Shift)}, CMD("Held while dragging: select the points under the band")},
    };
}

void buildEditorMenus(QMenuBar& bar, CommandTable& commands) {
    std::map<QString, QMenu*> menus;
    for (const MenuEntry& e : editorTable()) {
        QMenu* menu = e.menu ? menuAt(bar, menus, QString::fromUtf8(e.menu)) : nullptr;
        if (e.command.id == 0)
            menu->addSeparator();
        else
            commands.add(e.command, menu);
    }
}

QToolBar* buildEditorButtons(QWidget* parent, const CommandTable& commands) {
    // A tool bar, so that buttons that do not fit a narrow window move to its overflow menu.
    auto* row = new QToolBar(parent);
    row->setObjectName(QStringLiteral("buttons"));
    row->setAccessibleName(QCoreApplication::translate("Command", "Editor buttons"));
    row->setMovable(false);
    row->setFloatable(false);
    // The button that opens the buttons a narrow window has no room for comes without a name.
    if (auto* more = row->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QCoreApplication::translate("Command", "More buttons"));
    // Short labels on the buttons; the accessible name and tip carry the command's text.
    const std::pair<int, const char*> buttons[] = {
        {kNewLinear, "/"},     {kNewSquare, "⌐"},    {kNewKeep, "—"},
        {0, nullptr},          {kScaleTime, "T"},    {kScaleTime + 1, "P"},
        {kScaleTime + 2, "F"}, {0, nullptr},         {kShowTime, "t"},
        {kShowTime + 1, "p"},  {kShowTime + 2, "f"}, {0, nullptr},
        {kStoreA, "→A"},       {kStoreA + 1, "→B"},  {kStoreA + 2, "→C"},
        {kStoreA + 3, "→D"},   {kRecallA, "A"},      {kRecallA + 1, "B"},
        {kRecallA + 2, "C"},   {kRecallA + 3, "D"},  {0, nullptr},
        {kZoomIn, "+"},        {kZoomOut, "−"},      {kOneToOne, "1:1"},
        {kFit, "↔"},           {0, nullptr},         {kPlay, "▶"},
        {kStop, "■"},          {kPreview, "▶P"},     {kPlayProcessed, "▶~"},
        {kFreeEdit, CMD("Free")}};
    for (const auto& [id, label] : buttons) {
        if (!label) {
            row->addSeparator();
            continue;
        }
        QAction& a = commands.at(id);
        auto* b = new QToolButton(row);
        b->setDefaultAction(&a);
        b->setObjectName(QStringLiteral("button%1").arg(id));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        const QString text = QCoreApplication::translate("Command", label);
        // setDefaultAction copies the action's text, tip and name whenever it changes.
        const auto show = [b, &a, text] {
            b->setText(text);
            b->setToolTip(buttonTipOf(a));
            b->setAccessibleName(QString(a.text()).remove(QLatin1Char('&')));
        };
        show();
        QObject::connect(&a, &QAction::changed, b, show);
        // As narrow as the label: the whole row fits the window's first width.
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(text) + 9);
        row->addWidget(b);
    }
    return row;
}

QMenu* buildViewMenu(QWidget* parent, const CommandTable& commands) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("viewMenu"));
    for (int id : {kCut, kCopy, kPaste, kDelete})
        menu->addAction(&commands.at(id));
    QMenu* styles = menu->addMenu(QCoreApplication::translate("Command", "Line &style"));
    for (int id : {kStyleLinear, kStyleSquare})
        styles->addAction(&commands.at(id));
    return menu;
}

} // namespace Ui
