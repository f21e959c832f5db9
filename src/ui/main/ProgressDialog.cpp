#include "ui/main/ProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "process/ProcessingProgress.h"
#include "ui/common/Dialogs.h"

namespace Ui {

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ProgressDialog"));
    setModal(false);
    setWindowTitle(kAppTitle);
    title = new QLabel(this);
    title->setObjectName(QStringLiteral("title"));
    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("progress"));
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    bar->setAccessibleName(tr("Progress"));
    remaining = new QLabel(this);
    remaining->setObjectName(QStringLiteral("remaining"));
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("IDCANCEL"));
    connect(cancelButton, &QPushButton::clicked, this, &ProgressDialog::cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(bar);
    layout->addWidget(remaining);
    layout->addWidget(cancelButton, 0, Qt::AlignRight);
    setMinimumWidth(360);
}

void ProgressDialog::setTitle(const QString& text) {
    title->setText(text);
    setWindowTitle(text);
}

void ProgressDialog::showProgress(int position, qint64 seconds) {
    bar->setValue(std::clamp(position, 0, 1000));
    remaining->setText(
        QString::fromStdString(Process::progressWindowText(std::max<qint64>(seconds, 0))));
}

void ProgressDialog::cancel() {
    if (!continuing) return;
    if (Dialogs::current().question(this, tr("Are you sure you want to abort processing?"),
                                    QStringLiteral(" ")))
        continuing = false;
}

} // namespace Ui
