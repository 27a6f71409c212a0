// The per-frame cost of rebuilding the glass tube at the scene's sizes (20 points x 200 segments).
// "Reused" is what the renderer does frame after frame; "FreshObject" starts every call from an empty
// object, so each call allocates its grid and mesh anew and works out the curve's and the ring's sines
// and cosines again: the difference is what keeping them buys.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "renderer/glass_object.h"

namespace {

// The scene's pulsing radius late in the timeline (t = 0.65: full amplitude).
float PulsingRadius(float x) { return 0.5f + 0.2f * std::sin(300.0f * 0.65f + 4.0f * x); }

void Configure(CGlassObject& cObject) {
    cObject.nRingPoints = 20;
    cObject.nSegments = 200;
    cObject.fCurveA = 2.5f;  // well into the morph: the three-lobed shape
    cObject.fCurveB = 1.0f;
    cObject.bFlipFaces = false;
    cObject.pfnRadius = PulsingRadius;
}

void BM_GenerateMesh_Reused(benchmark::State& state) {
    CGlassObject cObject;
    Configure(cObject);
    for (auto _ : state) {
        cObject.GenerateMesh();
        benchmark::DoNotOptimize(cObject.pcTriangleList);
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = cObject.nTriangles;
}
BENCHMARK(BM_GenerateMesh_Reused);

void BM_GenerateMesh_FreshObject(benchmark::State& state) {
    for (auto _ : state) {
        auto pcObject = std::make_unique<CGlassObject>();
        Configure(*pcObject);
        pcObject->GenerateMesh();
        benchmark::DoNotOptimize(pcObject->pcTriangleList);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GenerateMesh_FreshObject);

}  // namespace

BENCHMARK_MAIN();
