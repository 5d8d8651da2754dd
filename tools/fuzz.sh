#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target of fuzz/ (or only
# the TARGETs named) for FUZZ_SECONDS (default 30) on a scratch copy of its
# seed corpus, so the repository stays as it is. Fails on a crash, a broken property, a leak or a
# hang; the input that did it is kept and shown.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
jobs=${JOBS:-$(nproc)}
targets=("$@")
[ $# -gt 0 ] || targets=(line_splitter remove_virus_block mask_match json_names)
bin=build/fuzz/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" >/dev/null

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-fuzz.XXXXXX")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs one target; prints "TARGET: N runs in S s" or the failure and the input.
run_target() {
    local target=$1 dir=$scratch/$1
    mkdir -p "$dir/artifacts"
    cp -r "fuzz/corpus/$target" "$dir/corpus"
    if ! "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
            "$dir/corpus" >"$dir/log" 2>&1; then
        tail -n 40 "$dir/log"
        for input in "$dir"/artifacts/*; do
            [ -e "$input" ] && { echo "input $input:"; od -A d -c "$input" | head -n 20; }
        done
        echo "fuzz: $target FAILED (log and input kept in $dir)" >&2
        return 1
    fi
    sed -n "s/^Done \([0-9]*\) runs in \([0-9]*\) second.*/$target: \1 runs in \2 s/p" "$dir/log"
}

status=0
for target in "${targets[@]}"; do
    run_target "$target" || status=1
done
[ $status -eq 0 ] && rm -rf "$scratch"
exit $status
