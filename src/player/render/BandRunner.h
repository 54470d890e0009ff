// Draws the scanlines of a frame, once its edges are built, either in one pass on the caller's
// thread or in horizontal bands shared between the caller and worker threads while the caller
// waits. The picture is the same either way, byte for byte: a band is drawn exactly as the
// rows of one pass would be (see ScanConverter), each band writes only its own rows of the
// surface, and everything the bands share (edges, records, fills, bitmaps, palette) is only read
// while they run; each worker has its own copies of the colour records, its own scan state and
// its own span painter.
//
// Workers are started on the first frame that is split and stopped (joined) when the runner is
// destroyed.
#pragma once

#include "player/Rect.h"
#include "player/render/ScanConverter.h"
#include "player/render/SpanPainter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavro::player {
class NativeBitmap;
}

namespace tavro::player::render {

class FrameBuilder;

// Threads that run one job at a time alongside the caller.
class WorkerThreads {
public:
    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Starts threads until there are `count` (fewer when the system refuses more).
    void Grow(int count);
    int Count() const { return int(threads_.size()); }

    // Runs job(0) on the caller and job(1) .. job(workers) on the first `workers` threads, and
    // returns when all have returned. An exception of the caller's part is rethrown after the
    // others finished; the workers' parts must not throw.
    void Run(const std::function<void(int)>& job, int workers);

private:
    void Loop(int index);

    // Rounds of waiting on the caller's core (about a fifth of a millisecond) before sleeping.
    static constexpr int kSpins = 2000;

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(int)>* job_ = nullptr;
    int workers_ = 0;
    std::atomic<int> pending_{0}; // workers still running the current job
    uint64_t generation_ = 0;
    bool stop_ = false;
};

class BandRunner {
public:
    // Smallest band with automatic splitting, in pixel rows, and the smallest area worth
    // splitting, in pixels.
    static constexpr int kMinBandRows = 8;
    static constexpr int64_t kMinPixels = 160 * 160;
    // Frames with more colour records are drawn in one pass (every worker copies them).
    static constexpr size_t kMaxCopiedRecords = size_t(1) << 16;
    static constexpr int kMaxThreads = 8;

    BandRunner();
    ~BandRunner();

    // Draws the scanlines of `scan` (clip `clip`, device units) into `target` with `painter`
    // on the caller's part (`covered` as for SpanPainter::Begin). `bands`: 0 splits by the
    // size of the clip and the machine's cores, 1 draws in one pass, n > 1 splits into n bands
    // (at most one per pixel row) on at least two threads. The edges are forgotten afterwards.
    void Run(ScanConverter& scan, const FrameBuilder& frame, SpanPainter& painter,
             NativeBitmap& target, const Rect& clip, bool antiAlias, bool covered, int bands);

    // Bands and threads of the last frame drawn.
    int LastBands() const { return lastBands_; }
    int LastThreads() const { return lastThreads_; }

private:
    struct Lane {
        ScanConverter::State state;
        SpanPainter painter;
        RecordCopies copies;
    };

    const int cores_; // as the system reports them (0 when it does not know)
    WorkerThreads workers_;
    std::vector<std::unique_ptr<Lane>> lanes_;
    ScanConverter::State callerState_;
    int lastBands_ = 1;
    int lastThreads_ = 1;
};

} // namespace tavro::player::render
