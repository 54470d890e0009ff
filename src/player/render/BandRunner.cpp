#include "player/render/BandRunner.h"

#include "player/render/FrameBuilder.h"
#include "player/render/NativeBitmap.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavro::player::render {

namespace {
// A short pause in a waiting loop (lets the other hyper-thread of the core run).
inline void Pause() {
#if defined(__SSE2__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}
} // namespace

WorkerThreads::~WorkerThreads() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void WorkerThreads::Grow(int count) {
    while (int(threads_.size()) < count) {
        try {
            threads_.emplace_back([this, index = int(threads_.size()) + 1] { Loop(index); });
        } catch (const std::system_error&) {
            return; // no more threads: make do with those there are
        }
    }
}

void WorkerThreads::Loop(int index) {
    uint64_t seen = 0;
    for (;;) {
        const std::function<void(int)>* job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
            if (stop_)
                return;
            seen = generation_;
            if (index > workers_)
                continue;
            job = job_;
        }
        (*job)(index);
        if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            // The caller may be blocked waiting: wake it (under the lock, so that it cannot
            // miss this between testing and blocking).
            std::lock_guard<std::mutex> lock(mutex_);
            done_.notify_one();
        }
    }
}

void WorkerThreads::Run(const std::function<void(int)>& job, int workers) {
    workers = std::clamp(workers, 0, Count());
    if (workers > 0) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = &job;
            workers_ = workers;
            pending_.store(workers, std::memory_order_relaxed);
            ++generation_;
        }
        wake_.notify_all();
    }
    std::exception_ptr failure;
    try {
        job(0);
    } catch (...) {
        failure = std::current_exception();
    }
    if (workers > 0) {
        // The workers are usually finishing their last band: wait for them on this core for a
        // moment before going to sleep (a sleeping caller must be woken and scheduled again,
        // which on a busy machine can take longer than the band).
        for (int spin = 0; spin < kSpins && pending_.load(std::memory_order_acquire) != 0; ++spin)
            Pause();
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return pending_.load(std::memory_order_acquire) == 0; });
        job_ = nullptr;
    }
    if (failure)
        std::rethrow_exception(failure);
}

BandRunner::BandRunner()
    : cores_(int(std::min<unsigned>(std::thread::hardware_concurrency(), kMaxThreads))) {}
BandRunner::~BandRunner() = default;

void BandRunner::Run(ScanConverter& scan, const FrameBuilder& frame, SpanPainter& painter,
                     NativeBitmap& target, const Rect& clip, bool antiAlias, bool covered,
                     int bands) {
    const int32_t unit = antiAlias ? 4 : 1;
    const int64_t rows = clip.IsEmpty() ? 0 : clip.Height() / unit;
    const int64_t width = clip.IsEmpty() ? 0 : clip.Width() / unit;
    const int cores = cores_;

    int bandCount = 1, threads = 1;
    if (frame.RecordCount() <= kMaxCopiedRecords && rows > 1) {
        if (bands == 0 && cores > 1 && rows * width >= kMinPixels && rows >= 2 * kMinBandRows) {
            threads = cores;
            // A few bands per thread, so that one busy core does not hold up the frame.
            bandCount = int(std::min<int64_t>(int64_t(threads) * 4, rows / kMinBandRows));
        } else if (bands > 1) {
            bandCount = int(std::min<int64_t>(bands, rows));
            threads = std::min(bandCount, std::max(2, std::max(cores, 1)));
        }
    }
    if (bandCount > 1) {
        workers_.Grow(threads - 1);
        threads = std::min(threads, workers_.Count() + 1);
    }
    if (bandCount <= 1 || threads <= 1) {
        lastBands_ = lastThreads_ = 1;
        painter.Begin(target, clip, antiAlias, covered);
        scan.Run(painter);
        return;
    }
    lastBands_ = bandCount;
    lastThreads_ = threads;

    // Everything a band needs is made here, so that the bands themselves allocate nothing.
    const size_t edges = scan.EdgeCount();
    while (int(lanes_.size()) < threads - 1)
        lanes_.push_back(std::make_unique<Lane>());
    for (int i = 0; i < threads - 1; ++i) {
        Lane& lane = *lanes_[size_t(i)];
        frame.CopyRecords(lane.copies);
        lane.state.Reserve(edges);
        lane.painter.Begin(target, clip, antiAlias, covered);
    }
    callerState_.Reserve(edges);
    painter.Begin(target, clip, antiAlias, covered);

    auto bandRect = [&](int b) {
        const int32_t y0 = clip.ymin + int32_t(rows * b / bandCount) * unit;
        const int32_t y1 = clip.ymin + int32_t(rows * (b + 1) / bandCount) * unit;
        return Rect(clip.xmin, clip.xmax, y0, b + 1 == bandCount ? clip.ymax : y1);
    };
    std::atomic<int> next{0};
    // A band whose worker failed (each entry is written by the one thread that took the band).
    std::vector<char> failed(size_t(bandCount), 0);
    auto job = [&](int participant) {
        Lane* lane = participant > 0 ? lanes_[size_t(participant - 1)].get() : nullptr;
        SpanPainter& p = lane ? lane->painter : painter;
        ScanConverter::State& state = lane ? lane->state : callerState_;
        RecordCopies* copies = lane ? &lane->copies : nullptr;
        for (;;) {
            const int b = next.fetch_add(1, std::memory_order_relaxed);
            if (b >= bandCount)
                return;
            const Rect band = bandRect(b);
            if (!lane) {
                p.Begin(target, band, antiAlias, covered);
                scan.RunRows(p, band.ymin, band.ymax, state, copies);
                continue;
            }
            try {
                p.Begin(target, band, antiAlias, covered);
                scan.RunRows(p, band.ymin, band.ymax, state, copies);
            } catch (...) {
                // Its records may be left half way: this worker takes no more bands.
                failed[size_t(b)] = 1;
                return;
            }
        }
    };
    try {
        workers_.Run(job, threads - 1);
        for (int b = 0; b < bandCount; ++b)
            if (failed[size_t(b)]) {
                const Rect band = bandRect(b);
                painter.Begin(target, band, antiAlias, covered);
                scan.RunRows(painter, band.ymin, band.ymax, callerState_, nullptr);
            }
    } catch (...) {
        scan.Finish();
        throw;
    }
    scan.Finish();
}

} // namespace tavro::player::render
