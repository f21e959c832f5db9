#include "ui/common/TempoDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/FileRow.h"
#include "ui/common/Dialogs.h"

namespace Ui {

TempoDialog::TempoDialog(const QString& question, double preset, QWidget* parent)
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
    layout->addWidget(buttons);
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

std::optional<double> askTempo(QWidget* parent, const QString& question, double preset) {
    TempoDialog dialog(question, preset, parent);
    if (Dialogs::current().exec(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.value();
}

} // namespace Ui
