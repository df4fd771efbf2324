# Sourced by the end-to-end scripts: answer a real message box of a running Windows program.

# answer_box_and_wait WINE_RUN ANSWER_EXE PID TITLE BUTTON TEXT_FILE
# Waits for PID's box titled TITLE, saves its text to TEXT_FILE, presses BUTTON, then waits for
# the program to exit. Prints why and returns 1 when no box came or the program kept running.
answer_box_and_wait() {
    local wine_run=$1 answer=$2 pid=$3 title=$4 button=$5 text_file=$6
    if ! "$wine_run" "$answer" "$title" "$button" "$(winepath -w "$text_file" 2>/dev/null)" 30000; then
        echo "no \"$title\" box appeared"
        kill "$pid" 2>/dev/null
        return 1
    fi
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "the program did not exit after its \"$title\" box was answered"
        kill "$pid"
        return 1
    fi
}
