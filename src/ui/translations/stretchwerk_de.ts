<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Command</name>
    <message>
        <source>Editor buttons</source>
        <translation>Editor-Schaltflächen</translation>
    </message>
    <message>
        <source>More buttons</source>
        <translation>Weitere Schaltflächen</translation>
    </message>
    <message>
        <source>Line &amp;style</source>
        <translation>Linie&amp;nart</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Line &amp;style of the selection</source>
        <translation>Linie&amp;nart der Auswahl</translation>
    </message>
    <message>
        <source>&amp;Points</source>
        <translation>&amp;Punkte</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Snapshots</source>
        <translation>&amp;Momentaufnahmen</translation>
    </message>
    <message>
        <source>P&amp;lay</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message>
        <source>&amp;New dynamic settings</source>
        <translation>&amp;Neue dynamische Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Open dynamic settings...</source>
        <translation>Dynamische Einstellungen ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>Öffnen...</translation>
    </message>
    <message>
        <source>&amp;Save dynamic settings</source>
        <translation>Dynamische Einstellungen &amp;speichern</translation>
    </message>
    <message>
        <source>Save dynamic settings &amp;as...</source>
        <translation>Dynamische Einstellungen speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>Schl&amp;ießen</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>Alles auswä&amp;hlen</translation>
    </message>
    <message>
        <source>&amp;Invert selection</source>
        <translation>Auswahl &amp;umkehren</translation>
    </message>
    <message>
        <source>&amp;Linear</source>
        <translation>&amp;Linear</translation>
    </message>
    <message>
        <source>&amp;Square</source>
        <translation>&amp;Rechteckig</translation>
    </message>
    <message>
        <source>&amp;Keep</source>
        <translation>&amp;Halten</translation>
    </message>
    <message>
        <source>New points &amp;linear</source>
        <translation>Neue Punkte &amp;linear</translation>
    </message>
    <message>
        <source>New points &amp;square</source>
        <translation>Neue Punkte &amp;rechteckig</translation>
    </message>
    <message>
        <source>New points &amp;keep</source>
        <translation>Neue Punkte &amp;halten</translation>
    </message>
    <message>
        <source>&amp;Time curve</source>
        <translation>&amp;Zeitkurve</translation>
    </message>
    <message>
        <source>&amp;Pitch curve</source>
        <translation>&amp;Tonhöhenkurve</translation>
    </message>
    <message>
        <source>&amp;Formant curve</source>
        <translation>&amp;Formantkurve</translation>
    </message>
    <message>
        <source>Show t&amp;ime curve</source>
        <translation>Zeitkurve &amp;einblenden</translation>
    </message>
    <message>
        <source>Show p&amp;itch curve</source>
        <translation>Tonhöhenkurve e&amp;inblenden</translation>
    </message>
    <message>
        <source>Show f&amp;ormant curve</source>
        <translation>Formantkurve ein&amp;blenden</translation>
    </message>
    <message>
        <source>Time values in &amp;percent</source>
        <translation>Zeitwerte in &amp;Prozent</translation>
    </message>
    <message>
        <source>Time values in &amp;BPM</source>
        <translation>Zeitwerte in &amp;BPM</translation>
    </message>
    <message>
        <source>Ruler in &amp;clock time</source>
        <translation>Lineal in &amp;Uhrzeit</translation>
    </message>
    <message>
        <source>Ruler in &amp;musical time</source>
        <translation>Lineal in &amp;musikalischer Zeit</translation>
    </message>
    <message>
        <source>&amp;Tempo...</source>
        <translation>&amp;Tempo...</translation>
    </message>
    <message>
        <source>Zoom &amp;in</source>
        <translation>&amp;Vergrößern</translation>
    </message>
    <message>
        <source>Zoom &amp;out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message>
        <source>Zoom &amp;1:1</source>
        <translation>Zoom &amp;1:1</translation>
    </message>
    <message>
        <source>Zoom to &amp;fit</source>
        <translation>&amp;Einpassen</translation>
    </message>
    <message>
        <source>Zoom values i&amp;n</source>
        <translation>&amp;Werte vergrößern</translation>
    </message>
    <message>
        <source>Zoom values o&amp;ut</source>
        <translation>Werte verklei&amp;nern</translation>
    </message>
    <message>
        <source>Refresh file &amp;information</source>
        <translation>Datei&amp;informationen aktualisieren</translation>
    </message>
    <message>
        <source>Store snapshot A</source>
        <translation>Momentaufnahme A speichern</translation>
    </message>
    <message>
        <source>Store snapshot B</source>
        <translation>Momentaufnahme B speichern</translation>
    </message>
    <message>
        <source>Store snapshot C</source>
        <translation>Momentaufnahme C speichern</translation>
    </message>
    <message>
        <source>Store snapshot D</source>
        <translation>Momentaufnahme D speichern</translation>
    </message>
    <message>
        <source>Recall snapshot A</source>
        <translation>Momentaufnahme A abrufen</translation>
    </message>
    <message>
        <source>Recall snapshot B</source>
        <translation>Momentaufnahme B abrufen</translation>
    </message>
    <message>
        <source>Recall snapshot C</source>
        <translation>Momentaufnahme C abrufen</translation>
    </message>
    <message>
        <source>Recall snapshot D</source>
        <translation>Momentaufnahme D abrufen</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Abspielen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stoppen</translation>
    </message>
    <message>
        <source>P&amp;review</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>Play the finished previe&amp;w</source>
        <translation>Fertige Vorschau abs&amp;pielen</translation>
    </message>
    <message>
        <source>&amp;Free edit mode</source>
        <translation>&amp;Freier Bearbeitungsmodus</translation>
    </message>
    <message>
        <source>
In Free Edit Mode one click is enough to add a new mark point</source>
        <translation>
Im freien Bearbeitungsmodus genügt ein Klick, um einen neuen Markierungspunkt zu setzen</translation>
    </message>
    <message>
        <source>Play or stop</source>
        <translation>Abspielen oder stoppen</translation>
    </message>
    <message>
        <source>Cancel the drag or the selection under way</source>
        <translation>Laufendes Ziehen oder Auswählen abbrechen</translation>
    </message>
    <message>
        <source>Move the selected points by one pixel</source>
        <translation>Ausgewählte Punkte um ein Pixel verschieben</translation>
    </message>
    <message>
        <source>Held while dragging: select the points under the band</source>
        <translation>Beim Ziehen gehalten: die Punkte im Rahmen auswählen</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>&amp;Algorithm</source>
        <translation>&amp;Algorithmus</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Open audio file...</source>
        <translation>Audiodatei ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Open an existing document
Open</source>
        <translation>Ein vorhandenes Dokument öffnen
Öffnen</translation>
    </message>
    <message>
        <source>Open split &amp;stereo file...</source>
        <translation>Geteilte &amp;Stereodatei öffnen...</translation>
    </message>
    <message>
        <source>Open a split stereo file
 Open Split Stereo</source>
        <translation>Eine geteilte Stereodatei öffnen
 Geteiltes Stereo öffnen</translation>
    </message>
    <message>
        <source>Open split surround &amp;5.1 file...</source>
        <translation>Geteilte Surround-Datei &amp;5.1 öffnen...</translation>
    </message>
    <message>
        <source>Open split surround &amp;6.1 file...</source>
        <translation>Geteilte Surround-Datei &amp;6.1 öffnen...</translation>
    </message>
    <message>
        <source>Open split surround &amp;7.1 file...</source>
        <translation>Geteilte Surround-Datei &amp;7.1 öffnen...</translation>
    </message>
    <message>
        <source>Open in the chosen &amp;editor</source>
        <translation>Im gewählten &amp;Editor öffnen</translation>
    </message>
    <message>
        <source>Open the selected files in the chosen sound editor.</source>
        <translation>Die ausgewählten Dateien im gewählten Audio-Editor öffnen.</translation>
    </message>
    <message>
        <source>Save &amp;as...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save a copy of the selected files
Save a copy</source>
        <translation>Eine Kopie der ausgewählten Dateien speichern
Kopie speichern</translation>
    </message>
    <message>
        <source>Show in file &amp;manager</source>
        <translation>Im Datei&amp;manager zeigen</translation>
    </message>
    <message>
        <source>Opens the folder of the selected file in the file manager</source>
        <translation>Öffnet den Ordner der ausgewählten Datei im Dateimanager</translation>
    </message>
    <message>
        <source>&amp;Process selected files</source>
        <translation>Ausgewählte Dateien &amp;verarbeiten</translation>
    </message>
    <message>
        <source>Process the selected files
Process</source>
        <translation>Die ausgewählten Dateien verarbeiten
Verarbeiten</translation>
    </message>
    <message>
        <source>File &amp;information</source>
        <translation>Datei&amp;informationen</translation>
    </message>
    <message>
        <source>displays the file information about the selected file</source>
        <translation>zeigt die Dateiinformationen der ausgewählten Datei</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents</source>
        <translation>Das Programm beenden; fragt, ob Dokumente gespeichert werden sollen</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>&amp;Delete selected</source>
        <translation>Ausgewählte &amp;löschen</translation>
    </message>
    <message>
        <source>Delete Selected</source>
        <translation>Ausgewählte löschen</translation>
    </message>
    <message>
        <source>&amp;Copy parameters</source>
        <translation>Parameter &amp;kopieren</translation>
    </message>
    <message>
        <source>Copy Parameters</source>
        <translation>Parameter kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste parameters</source>
        <translation>Parameter &amp;einfügen</translation>
    </message>
    <message>
        <source>Paste Parameters</source>
        <translation>Parameter einfügen</translation>
    </message>
    <message>
        <source>P&amp;references...</source>
        <translation>Ein&amp;stellungen...</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>One &amp;voice, solo instruments</source>
        <translation>Eine &amp;Stimme, Soloinstrumente</translation>
    </message>
    <message>
        <source>Set the Algorithm to Monophonic/Voice/Instr.</source>
        <translation>Algorithmus auf einstimmig/Stimme/Instr. setzen</translation>
    </message>
    <message>
        <source>Polyphonic music, &amp;fast</source>
        <translation>Mehrstimmige Musik, s&amp;chnell</translation>
    </message>
    <message>
        <source>Set the Algorithm to Polyphonic (fast)</source>
        <translation>Algorithmus auf mehrstimmig (schnell) setzen</translation>
    </message>
    <message>
        <source>Polyphonic music, &amp;medium quality</source>
        <translation>Mehrstimmige Musik, &amp;mittlere Qualität</translation>
    </message>
    <message>
        <source>Set the Algorithm to Polyphonic (medium)</source>
        <translation>Algorithmus auf mehrstimmig (mittel) setzen</translation>
    </message>
    <message>
        <source>Polyphonic music, &amp;best quality</source>
        <translation>Mehrstimmige Musik, &amp;beste Qualität</translation>
    </message>
    <message>
        <source>Set the Algorithm to Polyphonic (best)</source>
        <translation>Algorithmus auf mehrstimmig (beste) setzen</translation>
    </message>
    <message>
        <source>&amp;Studio</source>
        <translation>St&amp;udio</translation>
    </message>
    <message>
        <source>Set the Algorithm to Studio</source>
        <translation>Algorithmus auf Studio setzen</translation>
    </message>
    <message>
        <source>E&amp;xact pitch</source>
        <translation>E&amp;xakte Tonhöhe</translation>
    </message>
    <message>
        <source>&amp;About Stretchwerk...</source>
        <translation>Ü&amp;ber Stretchwerk...</translation>
    </message>
    <message>
        <source>Shows the program&apos;s picture and version</source>
        <translation>Zeigt das Bild und die Version des Programms</translation>
    </message>
    <message>
        <source>Open the Stretchwerk &amp;manual...</source>
        <translation>Stretchwerk-&amp;Handbuch öffnen...</translation>
    </message>
    <message>
        <source>Opens the Stretchwerk manual</source>
        <translation>Öffnet das Stretchwerk-Handbuch</translation>
    </message>
    <message>
        <source>&amp;Keyboard shortcuts</source>
        <translation>&amp;Tastenkürzel</translation>
    </message>
    <message>
        <source>Lists every key of the batch list and the wave editor</source>
        <translation>Listet alle Tasten der Stapelliste und des Wellenform-Editors auf</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Play the selected file.
Play selected file</source>
        <translation>Die ausgewählte Datei abspielen.
Ausgewählte Datei abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop the playing file.
Stop playing</source>
        <translation>Die laufende Wiedergabe anhalten.
Wiedergabe anhalten</translation>
    </message>
    <message>
        <source>Wave editor</source>
        <translation>Wellenform-Editor</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Play pro&amp;cessed</source>
        <translation>Verarbeitet a&amp;bspielen</translation>
    </message>
    <message>
        <source>Play from the cursor along the curves, computed while it plays; edits are heard at once</source>
        <translation>Ab der Schreibmarke entlang der Kurven abspielen, während des Abspielens berechnet; Änderungen sind sofort zu hören</translation>
    </message>
    <message>
        <source>Play p&amp;rocessed</source>
        <translation>Verarbeitet abs&amp;pielen</translation>
    </message>
    <message>
        <source>Play the selected file processed with its settings, computed while it plays; changes are heard at once
Play processed</source>
        <translation>Die ausgewählte Datei mit ihren Einstellungen verarbeitet abspielen, während des Abspielens berechnet; Änderungen sind sofort zu hören
Verarbeitet abspielen</translation>
    </message>
    <message>
        <source>Shift the pitch exactly as asked, at about the processing time of the default</source>
        <translation>Die Tonhöhe genau wie verlangt verschieben, in etwa der Verarbeitungszeit der Voreinstellung</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Time value ruler</source>
        <translation>Lineal der Zeitwerte</translation>
    </message>
    <message>
        <source>Pitch value ruler</source>
        <translation>Lineal der Tonhöhenwerte</translation>
    </message>
    <message>
        <source>Formant value ruler</source>
        <translation>Lineal der Formantwerte</translation>
    </message>
</context>
<context>
    <name>Ui::AboutBox</name>
    <message>
        <source>About Stretchwerk</source>
        <translation>Über Stretchwerk</translation>
    </message>
    <message>
        <source>Stretchwerk version %1</source>
        <translation>Stretchwerk Version %1</translation>
    </message>
</context>
<context>
    <name>Ui::BatchNotices</name>
    <message>
        <source>Processing finished</source>
        <translation>Verarbeitung beendet</translation>
    </message>
    <message>
        <source>Stretchwerk is done after %1.</source>
        <translation>Stretchwerk ist nach %1 fertig.</translation>
    </message>
</context>
<context>
    <name>Ui::CHorizontalTimeScale</name>
    <message>
        <source>Time ruler</source>
        <translation>Zeitlineal</translation>
    </message>
</context>
<context>
    <name>Ui::CMarkPointEdit</name>
    <message>
        <source>Mark point editor</source>
        <translation>Markierungspunkt-Editor</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>Ui::CWaveEditor</name>
    <message>
        <source>Scroll the waveform</source>
        <translation>Bildlauf der Wellenform</translation>
    </message>
    <message>
        <source>Scroll the values</source>
        <translation>Bildlauf der Werte</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>CWaveEditor: unknown error!</source>
        <translation>CWaveEditor: unbekannter Fehler!</translation>
    </message>
    <message>
        <source>Tempo in BPM:</source>
        <translation>Tempo in BPM:</translation>
    </message>
</context>
<context>
    <name>Ui::EditorPlayback</name>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>unknown error while trying to play audio!</source>
        <translation>Unbekannter Fehler beim Abspielen!</translation>
    </message>
    <message>
        <source>playing</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <source>unknown error while trying to play preview audio!</source>
        <translation>Unbekannter Fehler beim Abspielen der Vorschau!</translation>
    </message>
    <message>
        <source>error while playing preview file. preview process returnen NULL!</source>
        <translation>Fehler beim Abspielen der Vorschaudatei: Die Vorschau lieferte nichts!</translation>
    </message>
    <message>
        <source>previewing</source>
        <translation>Vorschau</translation>
    </message>
</context>
<context>
    <name>Ui::EditorWindows</name>
    <message>
        <source>Reading the waveform of &quot;%1&quot;...</source>
        <translation>Die Wellenform von „%1“ wird gelesen...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>CFileScroll::DisplayWaveEditorWindow() unknown error!</source>
        <translation>CFileScroll::DisplayWaveEditorWindow(): unbekannter Fehler!</translation>
    </message>
</context>
<context>
    <name>Ui::ExternalEditor</name>
    <message>
        <source>Programs (*)</source>
        <translation>Programme (*)</translation>
    </message>
    <message>
        <source>I could not open the editor. Can you select it again for me?</source>
        <translation>Der Editor ließ sich nicht öffnen. Können Sie ihn bitte noch einmal auswählen?</translation>
    </message>
    <message>
        <source>Choose external editor</source>
        <translation>Externen Editor wählen</translation>
    </message>
    <message>
        <source>I still could not open the editor! Sorry!</source>
        <translation>Der Editor ließ sich immer noch nicht öffnen. Tut mir leid!</translation>
    </message>
</context>
<context>
    <name>Ui::FileListWidget</name>
    <message>
        <source>Batch list</source>
        <translation>Stapelliste</translation>
    </message>
    <message>
        <source>CFileScroll::OnChar() unknown error!</source>
        <translation>CFileScroll::OnChar(): unbekannter Fehler!</translation>
    </message>
    <message>
        <source>Select the first row</source>
        <translation>Erste Zeile auswählen</translation>
    </message>
    <message>
        <source>Select the last row</source>
        <translation>Letzte Zeile auswählen</translation>
    </message>
    <message>
        <source>Select the row above</source>
        <translation>Zeile darüber auswählen</translation>
    </message>
    <message>
        <source>Select the row below</source>
        <translation>Zeile darunter auswählen</translation>
    </message>
    <message>
        <source>The batch list is empty.
Add audio files or folders: drop them here, or press O.</source>
        <translation>Die Stapelliste ist leer.
Audiodateien oder Ordner hinzufügen: hierher ziehen oder O drücken.</translation>
    </message>
</context>
<context>
    <name>Ui::ListCommands</name>
    <message>
        <source>Some of these files were made by Stretchwerk. Delete them from the disk too?</source>
        <translation>Einige dieser Dateien hat Stretchwerk erzeugt. Sollen sie auch von der Festplatte gelöscht werden?</translation>
    </message>
    <message>
        <source>What BPM does the source file have?</source>
        <translation>Welches Tempo (BPM) hat die Quelldatei?</translation>
    </message>
    <message>
        <source>%1 version: %2</source>
        <translation>%1 Version: %2</translation>
    </message>
    <message>
        <source>A file is being processed. Stop processing and quit?</source>
        <translation>Eine Datei wird gerade verarbeitet. Verarbeitung abbrechen und beenden?</translation>
    </message>
    <message>
        <source>These files of the last batch list are gone:</source>
        <translation>Diese Dateien der letzten Stapelliste gibt es nicht mehr:</translation>
    </message>
</context>
<context>
    <name>Ui::MainWindow</name>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
</context>
<context>
    <name>Ui::MarkPointFiles</name>
    <message>
        <source>You forgot to save! Do you want to save right now?</source>
        <translation>Sie haben nicht gespeichert! Möchten Sie jetzt speichern?</translation>
    </message>
    <message>
        <source>MarkPoint Files (*.mpt)</source>
        <translation>Markierungspunkt-Dateien (*.mpt)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Select a file to load...</source>
        <translation>Eine Datei zum Laden wählen...</translation>
    </message>
    <message>
        <source>error while loading markpoints file</source>
        <translation>Fehler beim Laden der Markierungspunkt-Datei</translation>
    </message>
    <message>
        <source>error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>CWaveEditor::SaveFileDialog() error!</source>
        <translation>CWaveEditor::SaveFileDialog(): Fehler!</translation>
    </message>
    <message>
        <source>Save File as...</source>
        <translation>Datei speichern unter...</translation>
    </message>
    <message>
        <source>CWaveEditor::SaveFileAsDialog() error!</source>
        <translation>CWaveEditor::SaveFileAsDialog(): Fehler!</translation>
    </message>
    <message>
        <source>error while saving markpoints file</source>
        <translation>Fehler beim Speichern der Markierungspunkt-Datei</translation>
    </message>
</context>
<context>
    <name>Ui::NowPlayingPanel</name>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Playing:</source>
        <translation>Wiedergabe:</translation>
    </message>
</context>
<context>
    <name>Ui::PlaybackControl</name>
    <message>
        <source>Playing processed; underruns: %1</source>
        <translation>Verarbeitet wird abgespielt; Aussetzer: %1</translation>
    </message>
    <message>
        <source>Played processed; underruns: %1</source>
        <translation>Verarbeitet abgespielt; Aussetzer: %1</translation>
    </message>
    <message>
        <source>source %1  processed %2</source>
        <translation>Quelle %1  verarbeitet %2</translation>
    </message>
</context>
<context>
    <name>Ui::PreferencesDialog</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Output device</source>
        <translation>Ausgabegerät</translation>
    </message>
    <message>
        <source>External editor</source>
        <translation>Externer Editor</translation>
    </message>
    <message>
        <source>Include pitch</source>
        <translation>Tonhöhe aufnehmen</translation>
    </message>
    <message>
        <source>Include time</source>
        <translation>Zeit aufnehmen</translation>
    </message>
    <message>
        <source>Include index</source>
        <translation>Laufnummer aufnehmen</translation>
    </message>
    <message>
        <source>Settings before the name</source>
        <translation>Einstellungen vor dem Namen</translation>
    </message>
    <message>
        <source>Settings after the name</source>
        <translation>Einstellungen nach dem Namen</translation>
    </message>
    <message>
        <source>Result format</source>
        <translation>Ergebnisformat</translation>
    </message>
    <message>
        <source>as the source</source>
        <translation>wie die Quelle</translation>
    </message>
    <message>
        <source>Result format:</source>
        <translation>Ergebnisformat:</translation>
    </message>
    <message>
        <source>Beside the source file</source>
        <translation>Neben der Quelldatei</translation>
    </message>
    <message>
        <source>Target folder</source>
        <translation>Zielordner</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Wählen...</translation>
    </message>
    <message>
        <source>Choose target folder</source>
        <translation>Zielordner wählen</translation>
    </message>
    <message>
        <source>Choose editor</source>
        <translation>Editor wählen</translation>
    </message>
    <message>
        <source>Sound device</source>
        <translation>Audiogerät</translation>
    </message>
    <message>
        <source>File names</source>
        <translation>Dateinamen</translation>
    </message>
    <message>
        <source>Sample:</source>
        <translation>Beispiel:</translation>
    </message>
    <message>
        <source>Choose external editor</source>
        <translation>Externen Editor wählen</translation>
    </message>
    <message>
        <source>Programs (*)</source>
        <translation>Programme (*)</translation>
    </message>
    <message>
        <source>Choose target directory</source>
        <translation>Zielverzeichnis wählen</translation>
    </message>
    <message>
        <source>Open the last batch list at start</source>
        <translation>Beim Start die letzte Stapelliste öffnen</translation>
    </message>
</context>
<context>
    <name>Ui::ProgressDialog</name>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Are you sure you want to abort processing?</source>
        <translation>Möchten Sie die Verarbeitung wirklich abbrechen?</translation>
    </message>
</context>
<context>
    <name>Ui::PropertiesDialog</name>
    <message>
        <source>FileProperties for %1</source>
        <translation>Dateieigenschaften von %1</translation>
    </message>
</context>
<context>
    <name>Ui::RecentMenu</name>
    <message>
        <source>Open &amp;recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>No files opened yet</source>
        <translation>Noch keine Dateien geöffnet</translation>
    </message>
    <message>
        <source>&amp;Clear the list</source>
        <translation>Liste &amp;leeren</translation>
    </message>
</context>
<context>
    <name>Ui::RowWaveformView</name>
    <message>
        <source>Waveform</source>
        <translation>Wellenform</translation>
    </message>
    <message>
        <source>Result: %1</source>
        <translation>Ergebnis: %1</translation>
    </message>
    <message>
        <source>→ %1</source>
        <translation>→ %1</translation>
    </message>
</context>
<context>
    <name>Ui::RowWidget</name>
    <message>
        <source>Semitones</source>
        <translation>Halbtöne</translation>
    </message>
    <message>
        <source>Pitch shift in semitones (-48 to 48)</source>
        <translation>Tonhöhenverschiebung in Halbtönen (-48 bis 48)</translation>
    </message>
    <message>
        <source>Cents</source>
        <translation>Cent</translation>
    </message>
    <message>
        <source>Pitch shift in cents (-99 to 99)</source>
        <translation>Tonhöhenverschiebung in Cent (-99 bis 99)</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>New duration in the unit beside it</source>
        <translation>Neue Dauer in der Einheit daneben</translation>
    </message>
    <message>
        <source>Time unit</source>
        <translation>Zeiteinheit</translation>
    </message>
    <message>
        <source>secs</source>
        <translation>Sek.</translation>
    </message>
    <message>
        <source>bpm</source>
        <translation>bpm</translation>
    </message>
    <message>
        <source>2×</source>
        <translation>2×</translation>
    </message>
    <message>
        <source>Double length: twice as long, pitch unchanged</source>
        <translation>Doppelte Länge: doppelt so lang, Tonhöhe unverändert</translation>
    </message>
    <message>
        <source>Double length</source>
        <translation>Doppelte Länge</translation>
    </message>
    <message>
        <source>Formants</source>
        <translation>Formanten</translation>
    </message>
    <message>
        <source>Preserve formants</source>
        <translation>Formanten erhalten</translation>
    </message>
    <message>
        <source>Curves</source>
        <translation>Kurven</translation>
    </message>
    <message>
        <source>Use the mark point curves of the wave editor</source>
        <translation>Die Markierungspunkt-Kurven des Wellenform-Editors verwenden</translation>
    </message>
    <message>
        <source>Use mark points</source>
        <translation>Markierungspunkte verwenden</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>Wave editor</source>
        <translation>Wellenform-Editor</translation>
    </message>
    <message>
        <source>Open the wave editor to draw the time, pitch and formant curves</source>
        <translation>Den Wellenform-Editor öffnen, um die Zeit-, Tonhöhen- und Formantkurven zu zeichnen</translation>
    </message>
    <message>
        <source>st</source>
        <translation>HT</translation>
    </message>
    <message>
        <source>ct</source>
        <translation>ct</translation>
    </message>
    <message>
        <source>, selected</source>
        <translation>, ausgewählt</translation>
    </message>
    <message>
        <source>, being processed</source>
        <translation>, wird verarbeitet</translation>
    </message>
    <message>
        <source>, made by Stretchwerk</source>
        <translation>, von Stretchwerk erzeugt</translation>
    </message>
</context>
<context>
    <name>Ui::ShortcutsWindow</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Taste</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Batch list</source>
        <translation>Stapelliste</translation>
    </message>
    <message>
        <source>Wave editor</source>
        <translation>Wellenform-Editor</translation>
    </message>
</context>
<context>
    <name>Ui::TempoDialog</name>
    <message>
        <source>Tempo</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>BPM</source>
        <translation>BPM</translation>
    </message>
    <message>
        <source>Detecting the tempo...</source>
        <translation>Das Tempo wird erkannt...</translation>
    </message>
    <message>
        <source>&amp;Use</source>
        <translation>&amp;Übernehmen</translation>
    </message>
    <message>
        <source>Detected: %1 BPM</source>
        <translation>Erkannt: %1 BPM</translation>
    </message>
    <message>
        <source>No steady beat detected</source>
        <translation>Kein gleichmäßiger Takt erkannt</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Changes the duration and pitch of audio files.</source>
        <translation>Ändert die Dauer und die Tonhöhe von Audiodateien.</translation>
    </message>
    <message>
        <source>Do not show the picture at start-up.</source>
        <translation>Das Bild beim Start nicht zeigen.</translation>
    </message>
    <message>
        <source>Files to put in the batch list.</source>
        <translation>Dateien für die Stapelliste.</translation>
    </message>
</context>
</TS>
