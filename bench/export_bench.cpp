// Export of a large generated movie: 50 linked scenes, each with 20 still texts and 20 frame
// events that hold a URL and a play action (100 frames a scene). The archive save of the same movie
// is the baseline the other figures are read against; the JSON conversions of its archive are
// measured too.
#include "effects/CActionGotoURL.h"
#include "effects/CActionPlay.h"
#include "effects/CEventAtFrame.h"
#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "model/CTextObj.h"
#include "model/JsonForm.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace tavro {
namespace {

constexpr int kScenes = 50;
constexpr int kTextsPerScene = 20;
constexpr int kEventsPerScene = 20;

void BuildLargeMovie(CDocObj& doc) {
    doc.SetMovieSize(550, 400);
    doc.SetFrameRate(24);
    doc.NewMovie();
    for (int s = 1; s < kScenes; ++s)
        doc.InsertScene();
    int s = 0;
    for (auto& child : doc.GetChildList()) {
        auto& scene = static_cast<CSceneObj&>(*child);
        scene.SetLink("https://example.org/scene/" + std::to_string(s++));
        for (int t = 0; t < kTextsPerScene; ++t) {
            auto text = std::make_unique<CTextObj>(
                "Text " + std::to_string(t) + " of scene " + std::to_string(s), &scene);
            text->SetFontSize(12 + t);
            text->SetStagePosition(30 + 20 * t, 20 + 18 * t);
            scene.AddChild(std::move(text));
        }
        for (int e = 0; e < kEventsPerScene; ++e) {
            auto event = std::make_unique<CEventAtFrame>(nullptr, e * 5 + 4);
            auto url = std::make_unique<CActionGotoURL>(event.get());
            url->SetURL("https://example.org/frame/" + std::to_string(e));
            event->AddChild(std::move(url));
            event->AddChild(std::make_unique<CActionPlay>(event.get()));
            scene.InsertEvent(std::move(event));
        }
    }
}

void BM_SaveArchiveBaseline(benchmark::State& state) {
    CDocObj doc;
    BuildLargeMovie(doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveObjectToMemory(doc));
}
BENCHMARK(BM_SaveArchiveBaseline)->Unit(benchmark::kMillisecond);

void BM_ExportLargeMovie(benchmark::State& state) {
    CDocObj doc;
    BuildLargeMovie(doc);
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> image = ExportMovieToMemory(doc);
        bytes = image.size();
        benchmark::DoNotOptimize(image.data());
    }
    state.counters["swf_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportLargeMovie)->Unit(benchmark::kMillisecond);

void BM_ArchiveToJsonText(benchmark::State& state) {
    CDocObj doc;
    BuildLargeMovie(doc);
    const std::vector<uint8_t> swi = SaveObjectToMemory(doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(MovieArchiveToJsonText(swi));
}
BENCHMARK(BM_ArchiveToJsonText)->Unit(benchmark::kMillisecond);

void BM_JsonTextToArchive(benchmark::State& state) {
    CDocObj doc;
    BuildLargeMovie(doc);
    const std::string text = MovieArchiveToJsonText(SaveObjectToMemory(doc));
    for (auto _ : state)
        benchmark::DoNotOptimize(MovieJsonTextToArchive(text));
}
BENCHMARK(BM_JsonTextToArchive)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavro

BENCHMARK_MAIN();
