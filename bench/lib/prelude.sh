# shellcheck shell=sh
# Sourced by every whole-command timing: a timing that lacks what it times or
# a program it needs says so and stops without failing, and works in a
# temporary folder removed when it ends.

# bench_need_built NAME FILE...: stops unless every FILE is an executable.
bench_need_built() {
    bench_name=$1
    shift
    for bench_file in "$@"; do
        [ -x "$bench_file" ] || { echo "$bench_name: $bench_file not built, skipped"; exit 0; }
    done
}

# bench_need_programs NAME PROGRAM...: stops unless every PROGRAM is found.
bench_need_programs() {
    bench_name=$1
    shift
    for bench_program in "$@"; do
        command -v "$bench_program" >/dev/null 2>&1 || { echo "$bench_name: $bench_program missing, skipped"; exit 0; }
    done
}

# bench_work_folder PREFIX: sets work to a new folder, removed on exit.
bench_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1-XXXXXX")
    trap 'rm -rf "$work"' EXIT INT TERM
}
