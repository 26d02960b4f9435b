#include "dsp/mixed_plan.h"

#include <new>

#include "dsp/plan_cache.h"
#include "dsp/unit_root.h"

namespace dsp::detail {

std::shared_ptr<const MixedPlan> MixedPlan::build(int n) {
    try {
        auto plan = std::make_shared<MixedPlan>();
        plan->n_ = n;
        plan->factors_ = factorize(n);
        plan->transTableSetup();
        return plan;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Pass geometry and twiddle tables from the factor list.
void MixedPlan::transTableSetup() {
    std::size_t total = 0;
    int span = 1;
    for (int p = 0; p < factors_.count; ++p) {
        MixedPass& pass = passes_[p];
        pass.radix = factors_.f[p];
        pass.span = span;
        const std::size_t full = static_cast<std::size_t>(pass.radix - 1) * span;
        pass.full_rows = !has_own_butterfly(pass.radix) || full <= kFullRowEntries;
        total += 2 * (pass.full_rows ? full : static_cast<std::size_t>(span));
        if (!has_own_butterfly(pass.radix)) total += 2 * static_cast<std::size_t>(pass.radix);
        span *= pass.radix;
    }
    tables_.assign(total, 0.0);

    double* next = tables_.data();
    for (int p = 0; p < factors_.count; ++p) {
        MixedPass& pass = passes_[p];
        const int rows = pass.full_rows ? pass.radix - 1 : 1;
        const std::size_t entries = static_cast<std::size_t>(rows) * pass.span;
        double* re = next;
        double* im = next + entries;
        next += 2 * entries;
        const std::uint64_t period = static_cast<std::uint64_t>(pass.radix) * pass.span;
        for (int b = 1; b <= rows; ++b) {
            for (int k = 0; k < pass.span; ++k) {
                double c, s;
                unit_root(static_cast<std::uint64_t>(b) * k, period, &c, &s);
                re[static_cast<std::size_t>(b - 1) * pass.span + k] = c;
                im[static_cast<std::size_t>(b - 1) * pass.span + k] = -s;
            }
        }
        pass.tw_re = re;
        pass.tw_im = im;
        if (!has_own_butterfly(pass.radix)) {
            initTrig(pass, next);
            next += 2 * pass.radix;
        }
    }

    int weight = n_;
    for (int p = 0; p < factors_.count; ++p) {
        weight /= factors_.f[p];
        src_weight_[p] = weight;
    }
}

void MixedPlan::initTrig(MixedPass& pass, double* table) const {
    pass.trig_cos = table;
    pass.trig_sin = table + pass.radix;
    for (int t = 0; t < pass.radix; ++t)
        unit_root(t, pass.radix, table + t, table + pass.radix + t);
}

std::shared_ptr<const MixedPlan> mixed_plan(int n) {
    static PlanCache<MixedPlan> cache(8, std::size_t{128} << 20);
    return cache.get(n);
}

}  // namespace dsp::detail
