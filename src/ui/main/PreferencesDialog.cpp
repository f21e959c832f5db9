#include "ui/main/PreferencesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/DeviceList.h"
#include "audio/AudioFileOpener.h"
#include "process/NameBuilder.h"
#include "ui/common/Dialogs.h"

namespace Ui {

namespace {

QString fileNamePart(const std::string& path) {
    return QString::fromStdString(Audio::fileNameOf(path));
}

// A label that shows a value under a caption of its own (its accessible name): the value is its
// accessible description too, so that it is announced, not the caption alone.
void showValue(QLabel* label, const QString& value) {
    label->setText(value);
    label->setAccessibleDescription(value);
}

class PreferencesDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(Ui::PreferencesDialog)
  public:
    PreferencesDialog(QWidget* parent, App::CSettings& s) : QDialog(parent), settings(s) {
        setObjectName(QStringLiteral("PreferencesDlg"));
        setWindowTitle(tr("Preferences"));
        build();
        load();
    }

    void accept() override {
        const int index = device->currentIndex();
        if (index >= 0 && index < static_cast<int>(devices.size()))
            settings.deviceId = devices[index].id;
        if (editorChanged && !editor.empty()) settings.editorPath = editor;
        settings.includePitch = pitch->isChecked();
        settings.includeTime = time->isChecked();
        settings.includeIndex = index_->isChecked();
        settings.namePrefix = prefix->isChecked();
        settings.namePostfix = postfix->isChecked();
        settings.resultFormat = static_cast<Audio::FileType>(resultFormat->currentData().toUInt());
        settings.restoreList = restoreList->isChecked();
        if (beside->isChecked())
            settings.targetPath.clear();
        else if (folderChanged && !folder.empty())
            settings.targetPath = folder;
        QDialog::accept();
    }

  private:
    template <class T> T* control(T* w, const char* name, const QString& accessible = {}) {
        w->setObjectName(QLatin1String(name));
        if (!accessible.isEmpty()) w->setAccessibleName(accessible);
        return w;
    }

    void build() {
        device = control(new QComboBox(this), "IDC_DEVICE", tr("Output device"));
        editorName = control(new QLabel(this), "IDC_EDSTRING", tr("External editor"));
        pitch = control(new QCheckBox(tr("Include pitch"), this), "IDC_INCLUDEPITCH");
        time = control(new QCheckBox(tr("Include time"), this), "IDC_INCLUDETIME");
        index_ = control(new QCheckBox(tr("Include index"), this), "IDC_INCLUDEINDEX");
        prefix = control(new QRadioButton(tr("Settings before the name"), this), "IDC_PREFIXEXT");
        postfix = control(new QRadioButton(tr("Settings after the name"), this), "IDC_POSTFIXEXT");
        prefix->setAutoExclusive(false);
        postfix->setAutoExclusive(false);
        sample = control(new QLabel(this), "IDC_NAMESAMPLE"); // announced by its text
        resultFormat = control(new QComboBox(this), "IDC_RESULTFORMAT", tr("Result format"));
        resultFormat->addItem(tr("as the source"), 0u);
        for (const Audio::FileFormat& f : Audio::fileFormats())
            if (f.offered && f.writtenBits)
                resultFormat->addItem(QString::fromUtf8(f.key).toUpper(),
                                      static_cast<unsigned>(f.type));
        resultLabel = new QLabel(tr("Result format:"), this);
        resultLabel->setBuddy(resultFormat);
        beside = control(new QCheckBox(tr("Beside the source file"), this), "IDC_USECURRENTLOC");
        folderName = control(new QLabel(this), "IDC_DIRSTRING", tr("Target folder"));
        restoreList = control(new QCheckBox(tr("Open the last batch list at start"), this),
                              "IDC_RESTORELIST");
        chooseFolder = control(new QPushButton(tr("Choose..."), this), "IDC_DIRCHOOSE",
                               tr("Choose target folder"));
        chooseEditor =
            control(new QPushButton(tr("Choose..."), this), "ctl418", tr("Choose editor"));
        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("IDOK"));
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("IDCANCEL"));
        layOut();
        connectControls();
    }

    void layOut() {
        auto group = [this](const QString& title, QLayout* content) {
            auto* box = new QGroupBox(title, this);
            box->setLayout(content);
            return box;
        };
        auto* deviceLayout = new QVBoxLayout;
        deviceLayout->addWidget(device);
        auto* editorLayout = new QHBoxLayout;
        editorLayout->addWidget(editorName, 1);
        editorLayout->addWidget(chooseEditor);
        auto* nameLayout = new QGridLayout;
        nameLayout->addWidget(pitch, 0, 0);
        nameLayout->addWidget(prefix, 0, 1);
        nameLayout->addWidget(time, 1, 0);
        nameLayout->addWidget(postfix, 1, 1);
        nameLayout->addWidget(index_, 2, 0);
        nameLayout->addWidget(sample, 3, 0, 1, 2);
        auto* resultLayout = new QHBoxLayout;
        resultLayout->addWidget(resultLabel);
        resultLayout->addWidget(resultFormat, 1);
        auto* folderLayout = new QGridLayout;
        folderLayout->addWidget(beside, 0, 0, 1, 2);
        folderLayout->addWidget(folderName, 1, 0);
        folderLayout->addWidget(chooseFolder, 1, 1);
        folderLayout->setColumnStretch(0, 1);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(group(tr("Sound device"), deviceLayout));
        layout->addWidget(group(tr("External editor"), editorLayout));
        layout->addWidget(group(tr("File names"), nameLayout));
        layout->addWidget(group(tr("Result format"), resultLayout));
        layout->addWidget(group(tr("Target folder"), folderLayout));
        layout->addWidget(restoreList);
        layout->addWidget(buttons);
    }

    void connectControls() {
        connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(chooseEditor, &QPushButton::clicked, this, [this] { pickEditor(); });
        connect(chooseFolder, &QPushButton::clicked, this, [this] { pickFolder(); });
        // Toggled, not clicked: assistive technology toggles the box without a click.
        connect(beside, &QCheckBox::toggled, this, [this](bool on) { besideToggled(on); });
        connect(prefix, &QRadioButton::clicked, this, [this] {
            prefix->setChecked(true);
            postfix->setChecked(false);
            updateSample();
        });
        connect(postfix, &QRadioButton::clicked, this, [this] {
            postfix->setChecked(true);
            prefix->setChecked(false);
            updateSample();
        });
        for (QCheckBox* box : {pitch, time, index_})
            connect(box, &QCheckBox::toggled, this, [this] { updateSample(); });
        connect(resultFormat, &QComboBox::currentIndexChanged, this, [this] { updateSample(); });
    }

    void load() {
        try {
            devices = App::listOutputDevices();
        } catch (const std::exception& e) {
            Dialogs::current().message(this, QString::fromUtf8(e.what()), kAppTitle);
        }
        for (const App::OutputDevice& d : devices)
            device->addItem(QString::fromStdString(d.name));
        device->setCurrentIndex(devices.empty() ? -1 : 0);
        for (std::size_t i = 0; i < devices.size(); ++i)
            if (devices[i].id == settings.deviceId) device->setCurrentIndex(static_cast<int>(i));
        if (!settings.editorPath.empty()) showValue(editorName, fileNamePart(settings.editorPath));
        pitch->setChecked(settings.includePitch);
        time->setChecked(settings.includeTime);
        index_->setChecked(settings.includeIndex);
        prefix->setChecked(settings.namePrefix);
        postfix->setChecked(settings.namePostfix);
        restoreList->setChecked(settings.restoreList);
        // A format the settings file names but the list does not offer (rf64) is kept.
        const auto stored = static_cast<unsigned>(settings.resultFormat);
        if (resultFormat->findData(stored) < 0)
            resultFormat->addItem(
                QString::fromUtf8(Audio::formatOf(settings.resultFormat)->key).toUpper(), stored);
        resultFormat->setCurrentIndex(resultFormat->findData(stored));
        folder = settings.targetPath;
        const bool hasFolder = !settings.targetPath.empty();
        const QSignalBlocker quiet(beside); // loading changes nothing the user chose
        beside->setChecked(!hasFolder);
        showValue(folderName, hasFolder ? QString::fromStdString(folder) : QString());
        chooseFolder->setEnabled(hasFolder);
        updateSample();
    }

    void updateSample() {
        Process::NameBuilder names;
        names.includePitch = pitch->isChecked();
        names.includeTime = time->isChecked();
        names.includeIndex = index_->isChecked();
        names.partsBeforeTitle = prefix->isChecked();
        names.semitones = 1.0f;
        names.cents = 50.0f;
        names.timeFactor = 1.5f;
        const auto chosen = static_cast<Audio::FileType>(resultFormat->currentData().toUInt());
        const Audio::FileType result = Audio::resultTypeFor(Audio::WavType, chosen);
        if (result != Audio::WavType) names.extension = Audio::formatOf(result)->writtenExtension;
        sample->setText(tr("Sample:") + QStringLiteral("\t\t") +
                        QString::fromStdString(names.compose("SoundFile.wav", 3)));
    }

    void pickEditor() {
        const QString path = Dialogs::current().openFile(this, tr("Choose external editor"),
                                                         QString(), tr("Programs (*)"), true);
        if (path.isEmpty()) return;
        editor = path.toStdString();
        editorChanged = true;
        showValue(editorName, fileNamePart(editor));
    }

    void pickFolder() {
        const QString chosen = Dialogs::current().chooseFolder(this, tr("Choose target directory"),
                                                               QString::fromStdString(folder));
        if (chosen.isEmpty()) return;
        folder = chosen.toStdString();
        folderChanged = true;
        showValue(folderName, chosen);
    }

    void besideToggled(bool on) {
        showValue(folderName, on ? QString() : QString::fromStdString(folder));
        chooseFolder->setEnabled(!on);
        folderChanged = !on;
    }

    App::CSettings& settings;
    std::vector<App::OutputDevice> devices;
    bool editorChanged = false, folderChanged = false;
    std::string editor, folder;
    QComboBox* device = nullptr;
    QComboBox* resultFormat = nullptr;
    QLabel* resultLabel = nullptr;
    QLabel *editorName = nullptr, *sample = nullptr, *folderName = nullptr;
    QCheckBox *pitch = nullptr, *time = nullptr, *index_ = nullptr, *beside = nullptr;
    QCheckBox* restoreList = nullptr;
    QRadioButton *prefix = nullptr, *postfix = nullptr;
    QPushButton *chooseFolder = nullptr, *chooseEditor = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace

bool runPreferences(QWidget* parent, App::CSettings& settings) {
    PreferencesDialog dialog(parent, settings);
    return Dialogs::current().exec(dialog) == QDialog::Accepted;
}

} // namespace Ui
