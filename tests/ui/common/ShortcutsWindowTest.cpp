// Help › Keyboard shortcuts against the windows themselves: every key an action of either window
// answers is listed, and every key listed for the batch list acts there.
#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include "app/ModelTestKit.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/WaveEditor.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/ListCommands.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ShortcutsWindow.h"

using namespace Ui;

namespace {

constexpr int kShortcutsCommand = 90006;

App::CSettings quietSettings() {
    App::CSettings s([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
    s.quality = 1;
    return s;
}

struct Listed {
    QStringList keys;
    QString command;
};

QList<Listed> section(const ShortcutsWindow& window, int index) {
    QList<Listed> rows;
    QTreeWidgetItem* top = window.tree()->topLevelItem(index);
    for (int i = 0; top && i < top->childCount(); ++i)
        rows.append({top->child(i)->text(0).split(QRegularExpression(QStringLiteral(", |\n"))),
                     top->child(i)->text(1)});
    return rows;
}

QString plain(const QAction& a) {
    return QString(a.text()).remove(QLatin1Char('&'));
}

// Every key of every action of `window` stands in `rows` beside the action's text.
void everyKeyListed(QWidget& window, const QList<Listed>& rows) {
    int checked = 0;
    for (QAction* a : window.findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            const QString text = key.toString(QKeySequence::NativeText);
            const bool listed = std::any_of(rows.begin(), rows.end(), [&](const Listed& r) {
                return r.command == plain(*a) && r.keys.contains(text);
            });
            QVERIFY2(listed, qPrintable(plain(*a) + QStringLiteral(": ") + text));
            ++checked;
        }
    }
    QVERIFY(checked > 3);
}

} // namespace

class ShortcutsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void listsEveryKeyOfBothWindows() {
        TestSupport::TempDir dir;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.action(kShortcutsCommand)->trigger();
        auto* shown = w.findChild<ShortcutsWindow*>();
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->tree()->topLevelItem(0)->text(0), QStringLiteral("Batch list"));
        QCOMPARE(shown->tree()->topLevelItem(1)->text(0), QStringLiteral("Wave editor"));
        everyKeyListed(w, section(*shown, 0));

        App::CFileRow& row =
            ModelTest::addFile(session.list, ModelTest::toneFile(dir, "a.wav", 800));
        CWaveEditor editor(row, session.engine, [] { return Engine::Quality::Monophonic; });
        everyKeyListed(editor, section(*shown, 1));
        // Asked again, the one window comes up again.
        w.action(kShortcutsCommand)->trigger();
        QCOMPARE(w.findChildren<ShortcutsWindow*>().size(), 1);
    }

    // Each key listed without Ctrl, Alt or Meta is a key of the list: pressed there, it triggers
    // the command it stands beside, or moves the selection.
    void everyListedListKeyActs() {
        TestSupport::TempDir dir;
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.show();
        const QString file = QString::fromStdString(ModelTest::toneFile(dir, "a.wav", 800));
        w.action(kShortcutsCommand)->trigger();
        auto* shown = w.findChild<ShortcutsWindow*>();
        QVERIFY(shown);
        int pressed = 0;
        for (const Listed& r : section(*shown, 0)) {
            QAction* action = nullptr;
            for (QAction* a : w.actions())
                if (plain(*a) == r.command) action = a;
            for (const QString& text : r.keys) {
                const QKeyCombination key =
                    QKeySequence::fromString(text, QKeySequence::NativeText)[0];
                if (key.keyboardModifiers() != Qt::NoModifier) continue;
                // A selected row, so that every command may act.
                if (session.list.empty()) w.listCommands().openPaths({file});
                session.list.selectAll();
                w.fileList()->refreshRows();
                QApplication::setActiveWindow(&w);
                QVERIFY(QTest::qWaitForWindowActive(&w));
                QSignalSpy moved(w.fileList(), &FileListWidget::selectionChanged);
                std::unique_ptr<QSignalSpy> triggered;
                if (action) triggered = std::make_unique<QSignalSpy>(action, &QAction::triggered);
                QTest::keyClick(w.fileList(), key.key());
                QVERIFY2(action ? triggered->count() == 1 : moved.count() > 0,
                         qPrintable(text + QStringLiteral(" ") + r.command));
                ++pressed;
            }
        }
        // O, L, E, I, Delete and Backspace, Space, W, V; Home, End, Up, Down.
        QCOMPARE(pressed, 13);
    }
};

SWK_QTEST(ShortcutsWindowTest);
#include "ShortcutsWindowTest.moc"
