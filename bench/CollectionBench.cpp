// Finding a member of a Collection by key, in a collection of 1,000 members
// and in one of 100,000. Reported: the ratio of the two, which stays near 1
// while a lookup does not walk the members.

#include "RatioReporter.h"

#include "platform/vb/Collection.h"

#include <string>
#include <vector>

namespace {

void KeyedLookup(benchmark::State& state, int members) {
    qm6::vb::Collection collection;
    std::vector<std::string> keys;
    for (int i = 0; i < members; ++i) {
        keys.push_back("KEY" + std::to_string(i));
        collection.Add(int32_t(i), "Key" + std::to_string(i));
    }
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(collection.Item(keys[i]));
        i = (i + 7919) % keys.size(); // spread over the whole collection
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("KeyedLookup1k", KeyedLookup, 1000);
    benchmark::RegisterBenchmark("KeyedLookup100k", KeyedLookup, 100000);
    qm6::bench::RatioReporter reporter;
    reporter.Compare("KeyedLookup100k", "KeyedLookup1k");
    return qm6::bench::RunWithRatios(argc, argv, reporter);
}
