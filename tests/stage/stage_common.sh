# Sourced by the stage scripts: the checks, the work folder and the run of a program under a
# virtual X server until it has grabbed its stage into WORK/stage.png.

# Exit status 77 tells CTest the stage was skipped.
skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Skips without xvfb-run or ImageMagick; empties WORK and points the settings of this run there,
# never at the user's.
prepare_stage() {
    local work=$1
    command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is not installed"
    command -v compare >/dev/null 2>&1 || skip "ImageMagick (compare) is not installed"
    rm -rf "$work"
    mkdir -p "$work/config" "$work/runtime"
    chmod 700 "$work/runtime"
    export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
}

# grab_stage WORK NAME DESCRIPTION PROGRAM ARGS...: runs the program (which grabs its stage to
# WORK/stage.png, told by TAVRO_TEST_GRAB) with its output in WORK/NAME.out and WORK/NAME.err;
# fails the stage when it fails or grabs nothing.
grab_stage() {
    local work=$1 name=$2 description=$3
    shift 3
    local status=0
    timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$@" \
        >"$work/$name.out" 2>"$work/$name.err" || status=$?
    if [[ $status -ne 0 || ! -s $work/stage.png ]]; then
        echo "$description did not grab the stage (status $status)"
        cat "$work/$name.err"
        exit 1
    fi
}
