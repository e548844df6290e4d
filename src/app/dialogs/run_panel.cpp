#include "app/dialogs/run_panel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/dialogs/trans_pnl_checks.h"

namespace plexo {

namespace {

QString TimeLeft(qint64 elapsedMs, int done, int total)
{
    if (done <= 0 || total <= done)
        return {};
    const double seconds = double(elapsedMs) / 1000.0 * double(total - done) / double(done);
    const long long whole = std::llround(seconds);
    if (whole < 60)
        return QStringLiteral("about %1 s left").arg(whole);
    return QStringLiteral("about %1 min %2 s left").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

RunPanel::RunPanel(QWidget* parent, QPushButton* start, QPushButton* stop)
    : QWidget(parent),
      start_(start),
      stop_(stop),
      bar_(new QProgressBar(this)),
      label_(new QLabel(this))
{
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setFormat(QStringLiteral("%v of %m frames"));
    bar_->setTextVisible(false);
    label_->setMinimumHeight(QFontMetrics(label_->font()).height());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar_);
    layout->addWidget(label_);
    stop_->setEnabled(false);
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (run_)
            run_->Stop();
    });
}

RunPanel::~RunPanel() = default;

void RunPanel::Run(ConversionRun::Job job)
{
    if (run_)
        return;
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(true);
    label_->clear();
    framesWritten_ = 0;
    start_->setEnabled(false);
    stop_->setEnabled(true);
    clock_.start();
    run_ = std::make_unique<ConversionRun>(std::move(job), holdAfterFrame_);
    // Signals queued by a run that has since been ended must not touch the
    // next one.
    ConversionRun* run = run_.get();
    connect(run, &ConversionRun::progress, this, [this, run](int done, int total) {
        if (run_.get() == run)
            OnProgress(done, total);
    });
    connect(run, &ConversionRun::ended, this, [this, run] {
        if (run_.get() == run)
            OnEnded();
    });
    run->Start();
}

void RunPanel::EndRun()
{
    if (!run_)
        return;
    run_->Stop();
    OnEnded();
}

void RunPanel::OnProgress(int done, int total)
{
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(std::min(done, std::max(total, 1)));
    label_->setText(TimeLeft(clock_.elapsed(), done, total));
    framesWritten_ = done;
}

void RunPanel::OnEnded()
{
    const bool stopAsked = run_->StopAsked();
    const ConversionResult result = run_->Wait();
    run_.reset();
    start_->setEnabled(true);
    stop_->setEnabled(false);
    label_->setText(QString::fromStdString(RunOutcome(result, stopAsked, framesWritten_)));
    emit ended();
}

void RunDialog::LayOut(QLayout* form, QPushButton* start, QPushButton* stop, QPushButton* close)
{
    runPanel_ = new RunPanel(this, start, stop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start);
    buttons->addWidget(stop);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(runPanel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(close, &QPushButton::clicked, this, &RunDialog::reject);
}

void RunDialog::reject()
{
    runPanel_->EndRun();
    QDialog::reject();
}

bool MayReplace(QWidget* parent, const std::vector<std::string>& existing, const char* run)
{
    if (existing.empty())
        return true;
    const QString first = QString::fromStdString(existing.front());
    const qsizetype count = qsizetype(existing.size());
    const QString text = count == 1 ? QStringLiteral("%1 already exists.\nReplace it?").arg(first)
                                    : QStringLiteral("%1 files of this %2 already exist, the first of them "
                                                     "%3.\nReplace them?").arg(count).arg(QString::fromUtf8(run), first);
    QMessageBox question(QMessageBox::Question, parent->windowTitle(), text, QMessageBox::NoButton, parent);
    QPushButton* replace = question.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    question.setDefaultButton(question.addButton(QMessageBox::Cancel));
    question.exec();
    return question.clickedButton() == replace;
}

}  // namespace plexo
