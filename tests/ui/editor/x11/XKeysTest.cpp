// The wave editor's numpad keys as a real X server sends them (run under Xvfb with the xcb
// platform): its keypad events carry a modifier that Qt's shortcut map does not match against
// shortcuts that name the keypad, which the offscreen platform cannot show.
#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

#include "app/DeviceList.h"
#include "app/ModelTestKit.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/WaveEditor.h"

namespace {

// A key of the X server's keyboard, to the window that has the focus.
void press(const char* keysym) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keysym}), 0);
}

} // namespace

class XKeysTest : public QObject {
    Q_OBJECT

  private slots:
    void numpadEnterPlaysZeroStopsAndPlusPreviews() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server");
        ScriptedDialogs dialogs;
        TestSupport::TempDir tmp;
        App::BatchList list;
        Output::CAudioEngine engine;
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("No sound card") != std::string::npos) engine.init(d.id);
        App::CFileRow& row = ModelTest::addFile(list, ModelTest::toneFile(tmp, "a.wav", 40000));
        Ui::CWaveEditor editor(row, engine, [] { return Engine::Quality::Monophonic; });
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.view()->setFocus();
        press("KP_Enter");
        QTRY_VERIFY_WITH_TIMEOUT(editor.isPlaying(), 10000);
        press("KP_0");
        QTRY_VERIFY_WITH_TIMEOUT(!editor.isPlaying(), 10000);
        press("KP_Add");
        QTRY_VERIFY_WITH_TIMEOUT(editor.isPreviewRendering() || editor.isPlayingPreview(), 10000);
        QVERIFY(dialogs.messages.isEmpty());
        editor.close();
    }
};

QTEST_MAIN(XKeysTest)
#include "XKeysTest.moc"
