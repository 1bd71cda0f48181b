// The maths a frame runs many times: matrix products and inverses for every drawn object,
// and the spline work of ropes, cables and fuzes (lengths rebuilt, paths sampled).
#include <benchmark/benchmark.h>

#include "engine/core/Matrix.h"
#include "engine/core/PointArray.h"
#include "engine/core/Spline.h"

namespace {

void BM_MatrixMultiplyAndInverse(benchmark::State& state) {
    CMatrix rotation;
    rotation.SetRotationZ(0.3f);
    CMatrix translation;
    translation.SetTranslation(1.0f, 2.0f, 3.0f);
    CMatrix world;
    CMatrix inverse;
    for (auto _ : state) {
        CMatrix::Multiply(&world, rotation, translation);
        benchmark::DoNotOptimize(world.Inverse(&inverse));
    }
}
BENCHMARK(BM_MatrixMultiplyAndInverse);

// A rope of the given number of keys along a sagging curve.
void BuildRope(CSpline* spline, int keys) {
    for (int i = 0; i < keys; ++i) {
        const float x = static_cast<float>(i) * 0.1f;
        const CVector3 position(x, -0.05f * x * (static_cast<float>(keys) * 0.1f - x), 0.0f);
        spline->AddKey(position, position, position, 0);
    }
    spline->ComputeTangents();
}

void BM_SplineLengthAndPoint(benchmark::State& state) {
    CSpline spline;
    BuildRope(&spline, static_cast<int>(state.range(0)));
    CVector3 point;
    for (auto _ : state) {
        spline.m_bDirty = 1;
        benchmark::DoNotOptimize(spline.GetPoint(&point, 0.5f));
    }
}
BENCHMARK(BM_SplineLengthAndPoint)->Arg(8)->Arg(32);

void BM_SplineSample(benchmark::State& state) {
    CSpline spline;
    BuildRope(&spline, 32);
    CPointArray points;
    for (auto _ : state) {
        points.m_nCount = 0;
        spline.Sample(&points, 8);
        benchmark::DoNotOptimize(points.m_pPoints);
    }
}
BENCHMARK(BM_SplineSample);

}  // namespace
