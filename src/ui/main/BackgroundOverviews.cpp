#include "ui/main/BackgroundOverviews.h"

#include <algorithm>

#include "app/RowWaveform.h"
#include "app/WaveOverview.h"

namespace Ui {

BackgroundOverviews::BackgroundOverviews(QObject* parent) : QObject(parent) {
}

BackgroundOverviews::~BackgroundOverviews() {
    {
        std::lock_guard guard(lock);
        stopping = true;
        cancelScan = true;
        queue.clear();
    }
    wake.notify_all();
    if (worker.joinable()) worker.join();
}

void BackgroundOverviews::request(App::CFileRow& row) {
    if (pending(&row)) return;
    const unsigned long long ticket = nextTicket++;
    waiting[&row] = {&row, ticket, row.getCache().getDate()};
    {
        std::lock_guard guard(lock);
        queue.push_back({&row, ticket});
        if (!worker.joinable()) worker = std::thread([this] { run(); });
    }
    wake.notify_all();
}

void BackgroundOverviews::cancel(const std::vector<App::CFileRow*>& rows) {
    const auto listed = [&rows](const App::CFileRow* r) {
        return std::find(rows.begin(), rows.end(), r) != rows.end();
    };
    for (App::CFileRow* r : rows)
        waiting.erase(r);
    std::unique_lock guard(lock);
    queue.erase(
        std::remove_if(queue.begin(), queue.end(), [&](const Job& j) { return listed(j.row); }),
        queue.end());
    if (!listed(scanning)) return;
    cancelScan = true;
    scanEnded.wait(guard, [&] { return !listed(scanning); });
}

void BackgroundOverviews::cancelAll() {
    std::vector<App::CFileRow*> rows;
    for (const auto& [row, w] : waiting)
        rows.push_back(w.row);
    cancel(rows);
}

void BackgroundOverviews::run() {
    std::unique_lock guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return stopping || !queue.empty(); });
        if (stopping) return;
        const Job job = queue.front();
        queue.pop_front();
        scanning = job.row;
        cancelScan = false;
        guard.unlock();
        scan(job);
        guard.lock();
        scanning = nullptr;
        scanEnded.notify_all();
    }
}

// The worker's thread.
void BackgroundOverviews::scan(const Job& job) {
    auto overview = std::make_shared<std::unique_ptr<Audio::CAudioFileCache>>();
    std::vector<float> outline;
    try {
        *overview = App::buildOverview(
            *job.row, [this](int) { return !cancelScan; }, true);
        if (!*overview) return;
        outline = App::waveformOutline(**overview, App::kOutlineColumns);
    } catch (...) {
        return; // a source that cannot be read now draws no waveform
    }
    QMetaObject::invokeMethod(
        this, [this, job, overview, outline] { deliver(job, overview, outline); },
        Qt::QueuedConnection);
}

void BackgroundOverviews::deliver(const Job& job,
                                  std::shared_ptr<std::unique_ptr<Audio::CAudioFileCache>> overview,
                                  const std::vector<float>& outline) {
    const auto it = waiting.find(job.row);
    if (it == waiting.end() || it->second.ticket != job.ticket) return;
    const Audio::FileDate date = it->second.date;
    waiting.erase(it);
    App::CFileRow& row = *job.row;
    if (!row.getOverview()) row.setOverview(std::move(*overview), date);
    emit outlineReady(&row, outline);
}

} // namespace Ui
