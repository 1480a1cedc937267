#!/bin/sh
# The suite as a user gets it: installs the build tree into a prefix of its
# own, builds examples/own_program against it with CMake and with pkg-config,
# and runs the installed programs on the program's trace. The commands and
# outputs that README.md shows for this are the ones checked here.
#
#   installed_tree.sh BUILD_DIR SOURCE_DIR WORK_DIR GENERATOR CXX "FLAGS"
#
# FLAGS go to every compile and link of the user's program (the sanitizer
# build's libraries need its runtime).
set -eu
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) work=$3 generator=$4 cxx=$5 flags=$6
readme=$source/README.md
soc=$source/examples/soc.xml

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# A line that README.md shows as an indented block line.
shown() {
  grep -qxF "    $1" "$readme" || fail "README.md does not show: $1"
}
# Runs a command, its output kept in a log that is shown when it fails.
quiet() {
  log=$work/last.log
  "$@" >"$log" 2>&1 || { cat "$log" >&2; fail "$*"; }
}

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$work/prefix
quiet cmake --install "$build" --prefix "$prefix"
for f in bin/quendle bin/quendle_diff bin/quendle_dump \
  lib/libquendle_etrace.a lib/libquendle_disasm.a lib/libquendle_logger.a lib/libquendle_xcfg.a \
  include/quendle/etrace/stream/et_writer.h include/quendle/etrace/records/et_insn.h \
  include/quendle/etrace/mh_swt_reader.h include/quendle/disasm/disassembler.h \
  include/quendle/logger/zarn_logger.h include/quendle/xcfg/ConfigNode.h \
  lib/cmake/quendle/quendleConfig.cmake lib/pkgconfig/quendle.pc; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
# Every header sits in its library's folder, none beside them where a name
# like insn.h or arg.h could meet a user's own.
others=$(cd "$prefix/include/quendle" && ls -A | grep -vxE 'logger|xcfg|disasm|etrace' || true)
[ -z "$others" ] || fail "installed outside the libraries' folders: $others"

# README's program is the example, less the example's opening comment.
program=$source/examples/own_program/own_program.cpp
sed -n '/^```cpp$/,/^```$/p' "$readme" | sed '1d;$d' >"$work/readme_program.cpp"
sed '/^\/\//d' "$program" | sed '/./,$!d' >"$work/example_program.cpp"
cmp -s "$work/readme_program.cpp" "$work/example_program.cpp" ||
  fail "README.md's program differs from examples/own_program/own_program.cpp"

# With CMake, as a user's project finds the package.
quiet cmake -S "$source/examples/own_program" -B "$work/cmake" -G "$generator" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror $flags"
quiet cmake --build "$work/cmake"
mkdir "$work/run"
cd "$work/run"
quiet "$work/cmake/own_program"
[ -s my.trace ] || fail "own_program wrote no trace"

# The installed programs read it.
quiet "$prefix/bin/quendle" -c "$soc" -t my.trace -o my.swt --ts --uiid --cc
[ "$(wc -l <my.swt)" -eq 1 ] || fail "my.swt: $(cat my.swt)"
shown "$(cat my.swt)"
quiet "$prefix/bin/quendle" -c "$soc" -t my.trace -o my.raw -f raw
[ "$(wc -l <my.raw)" -eq 1 ] || fail "my.raw: $(cat my.raw)"
shown "$(cat my.raw)"
quiet "$prefix/bin/quendle" -c "$soc" -t my.trace -o my.pconly -f pconly
[ "$(cat my.pconly)" = 80000000 ] || fail "my.pconly: $(cat my.pconly)"
quiet "$prefix/bin/quendle" -c "$soc" -t my.trace -o my.ingress -f ingress
od -A d -t x1 my.ingress >my.od
[ "$(wc -l <my.od)" -eq 2 ] || fail "my.ingress: $(cat my.od)"
while IFS= read -r line; do shown "$line"; done <my.od
quiet "$prefix/bin/quendle_diff" --tr0 my.trace --tr1 my.trace -c "$soc"
grep -qx '\[INFO\]<TDT> Traces are equal.' "$log" || fail "quendle_diff: $(cat "$log")"

# README's runs on the sample trace, from the top of the tree as shown.
cd "$source"
quiet "$prefix/bin/quendle" -c examples/soc.xml -t examples/sample.trace -o "$work/sample.pc" -f pconly
head -n 8 "$work/sample.pc" >"$work/sample.head"
while IFS= read -r line; do shown "$line"; done <"$work/sample.head"
set +e
"$prefix/bin/quendle_diff" --tr0 examples/sample.trace --tr1 examples/sample.trace \
  -c examples/soc.xml --th0 0 --th1 1 --uiid >"$work/harts.out" 2>&1
status=$?
set -e
[ "$status" -eq 255 ] || fail "quendle_diff --th0 0 --th1 1: status $status"
grep -qxF '[INFO]<TDT> Two different instructions. Reason: 323' "$work/harts.out" ||
  fail "quendle_diff --th0 0 --th1 1: $(cat "$work/harts.out")"
while IFS= read -r line; do [ -z "$line" ] || shown "$line"; done <"$work/harts.out"

# A packager's configure: no GoogleTest and no Google Benchmark needed.
quiet cmake -S "$source" -B "$work/no-tests" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" \
  -DQUENDLE_TESTS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON

# With pkg-config, as a Makefile would build it; the same program writes
# the same trace.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
# shellcheck disable=SC2046,SC2086 # the flags are lists of words
quiet "$cxx" -std=c++17 -Wall -Wextra -Werror $flags -o "$work/own_program_pc" "$program" \
  $(pkg-config --cflags --libs quendle)
mkdir "$work/run_pc"
cd "$work/run_pc"
quiet "$work/own_program_pc"
cmp -s my.trace "$work/run/my.trace" || fail "the pkg-config build wrote another trace"
# Every installed header compiles on its own from the installed tree: it
# includes what it needs, and nothing that stayed behind.
mkdir "$work/headers"
(cd "$prefix/include/quendle" && find . -name '*.h' | sort | sed 's|^\./||') >"$work/headers.list"
[ -s "$work/headers.list" ] || fail "no headers installed"
cflags=$(pkg-config --cflags quendle)
while IFS= read -r header; do
  unit=$work/headers/$(echo "$header" | tr / _).cpp
  printf '#include "%s"\n' "$header" >"$unit"
  # shellcheck disable=SC2086
  quiet "$cxx" -std=c++17 -Wall -Wextra -Werror $flags $cflags -fsyntax-only "$unit"
done <"$work/headers.list"
echo "installed tree: programs, libraries, headers, CMake package and pkg-config file work"
