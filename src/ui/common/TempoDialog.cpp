#include "ui/common/TempoDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FileRow.h"
#include "process/TempoDetector.h"
#include "ui/common/Dialogs.h"

namespace Ui {

TempoDetection tempoDetectionOf(Audio::CAudioFileCache& source) {
    return [&source](const std::atomic<bool>& abort) {
        return Process::detectTempo(source, 120.0, &abort).bpm;
    };
}

TempoDialog::TempoDialog(const QString& question, double preset, QWidget* parent,
                         TempoDetection detection)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TempoDialog"));
    setWindowTitle(tr("Tempo"));
    field = new QLineEdit(QString::fromStdString(App::formatTimeValue(preset)), this);
    field->setObjectName(QStringLiteral("IDC_BPM"));
    field->setAccessibleName(tr("BPM"));
    field->selectAll();
    auto* label = new QLabel(question, this);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TempoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(field);
    if (detection) {
        detectedLine = new QLabel(tr("Detecting the tempo..."), this);
        detectedLine->setObjectName(QStringLiteral("detectedTempo"));
        take = new QPushButton(tr("&Use"), this);
        take->setObjectName(QStringLiteral("useDetected"));
        take->setEnabled(false);
        take->setAutoDefault(false);
        connect(take, &QPushButton::clicked, this, &TempoDialog::useDetected);
        auto* line = new QHBoxLayout;
        line->addWidget(detectedLine, 1);
        line->addWidget(take);
        layout->addLayout(line);
        worker = std::thread([this, detect = std::move(detection)] {
            double result = 0.0;
            try {
                result = detect(abort);
            } catch (...) {
                result = 0.0; // unreadable: the user types the tempo as before
            }
            QMetaObject::invokeMethod(this, [this, result] { showDetected(result); });
        });
    }
    layout->addWidget(buttons);
    field->setFocus();
}

TempoDialog::~TempoDialog() {
    abort = true;
    if (worker.joinable()) worker.join();
}

void TempoDialog::showDetected(double detectedBpm) {
    if (detectedBpm > 0.0) {
        found = detectedBpm;
        detectedLine->setText(tr("Detected: %1 BPM").arg(detectedBpm, 0, 'f', 1));
        take->setEnabled(true);
        // Untouched, the field offers the tempo found; typing still replaces it.
        if (!field->isModified()) useDetected();
    } else {
        detectedLine->setText(tr("No steady beat detected"));
    }
    emit detectionEnded();
}

void TempoDialog::useDetected() {
    if (!found) return;
    field->setText(QString::number(*found, 'f', 1));
    field->selectAll();
    field->setFocus();
}

void TempoDialog::accept() {
    const std::optional<double> v = App::sourceBpmFrom(field->text().toStdString());
    if (!v) {
        Dialogs::current().message(this, QString::fromLatin1(App::kInvalidBpm), kAppTitle);
        return;
    }
    bpm = *v;
    QDialog::accept();
}

std::optional<double> askTempo(QWidget* parent, const QString& question, double preset,
                               TempoDetection detection) {
    TempoDialog dialog(question, preset, parent, std::move(detection));
    if (Dialogs::current().exec(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.value();
}

} // namespace Ui
