#!/usr/bin/env bash
# Builds every release file twice from the same commit and compares them byte for byte: two fresh
# clones at different paths, two build folders laid out differently (inside the source and beside
# it), one build after the other. Compares every file of each dist/ folder: the Linux package,
# tarball and SHA256SUMS, the Windows installer, zip and SHA256SUMS, and the web release when the
# build has a `web` preset. Exit 0 when all are identical.
#   scripts/check-reproducible.sh [COMMIT]      (default: HEAD)
# With VANTOREL_BUILD_LOCK=/path/to/lockfile each build step takes that lock (shared machines).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d /tmp/vantorel-repro-XXXXXX)
trap 'rm -rf "$work"' EXIT
started=$(date +%s)

locked() {
    if [ -n "${VANTOREL_BUILD_LOCK:-}" ]; then flock "$VANTOREL_BUILD_LOCK" "$@"; else "$@"; fi
}
# The web preset comes after linux: its pictures are drawn by the Linux build's frame renderer.
presets=(linux windows)
if cmake --list-presets=configure -S "$root" 2>/dev/null | grep -q '"web"'; then presets+=(web); fi

# build NAME LAYOUT: a clone of the commit in $work/NAME/src; LAYOUT "inside" builds in the clone's
# build/<preset> (the presets' own place), "beside" in $work/NAME/out-<preset>.
build() {
    local name=$1 layout=$2 src=$work/$1/src preset dir
    git clone -q --no-checkout --shared "$root" "$src"
    git -C "$src" -c advice.detachedHead=false checkout -q "$commit"
    for preset in "${presets[@]}"; do
        if [ "$layout" = inside ]; then dir=$src/build/$preset; else dir=$work/$name/out-$preset; fi
        echo "== $name: $preset in $dir"
        # The release files alone: no tests, no benchmarks. The web release's pictures are drawn by this
        # clone's own frame renderer, from its Linux build.
        local extra=()
        if [ "$preset" = web ]; then
            local linux_dir=$src/build/linux
            [ "$layout" = inside ] || linux_dir=$work/$name/out-linux
            locked cmake --build "$linux_dir" --target vantorel-frames >>"$work/$name-$preset.log" 2>&1 ||
                { tail -30 "$work/$name-$preset.log"; echo "FAIL: the frame renderer of $name failed"; exit 1; }
            extra=(-DVANTOREL_FRAMES_PROGRAM="$linux_dir/bin/vantorel-frames")
        fi
        (cd "$src" && cmake --preset "$preset" -B "$dir" -DVANTOREL_TESTS=OFF -DVANTOREL_BENCHMARKS=OFF "${extra[@]}" >>"$work/$name-$preset.log")
        locked cmake --build "$dir" --target package >>"$work/$name-$preset.log" 2>&1 ||
            { tail -30 "$work/$name-$preset.log"; echo "FAIL: the $preset build of $name failed"; exit 1; }
        mkdir -p "$work/$name/dist-$preset"
        cp -p "$dir"/dist/* "$work/$name/dist-$preset/"
    done
}

build a inside
# A later build, so every time the build could pick up differs.
sleep 2
build b beside

status=0
for preset in "${presets[@]}"; do
    a=$work/a/dist-$preset b=$work/b/dist-$preset
    names_a=$(ls "$a") names_b=$(ls "$b")
    if [ "$names_a" != "$names_b" ]; then
        echo "DIFFERENT: $preset dist/ holds [$(echo $names_a)] once and [$(echo $names_b)] once"
        status=1
        continue
    fi
    for f in $names_a; do
        if cmp -s "$a/$f" "$b/$f"; then
            echo "same: $preset/dist/$f  sha256 $(sha256sum "$a/$f" | cut -c1-16)..."
        else
            echo "DIFFERENT: $preset/dist/$f ($(cmp -l "$a/$f" "$b/$f" 2>/dev/null | wc -l) bytes differ, first at $(cmp "$a/$f" "$b/$f" | sed 's/.*byte \([0-9]*\).*/\1/'))"
            status=1
        fi
    done
done
echo "check-reproducible: commit $commit, $(( $(date +%s) - started )) s," \
     "$([ $status -eq 0 ] && echo "every release file identical" || echo "some release files differ")"
exit $status
