# Sourced by the whole-command timings: dense_song FILE VOLUME REPEATS PROGRAMS
# writes a score of 16 tracks, each playing 150 passes of one bar of sixteen
# sixteenth notes at 120 beats per minute (5 minutes) with a controller
# change and a pitch bend every bar; REPEATS above 1 plays those passes that
# many times, PROGRAMS "yes" gives every track a program of its own.
dense_song() {
    {
        echo "T120"
        t=0
        while [ $t -lt 16 ]; do
            program=""
            [ "$4" = yes ] && program="@$((t * 8 + 1)) "
            bar="[150 c d e f g f e d c d e f g f e d y1,$((t * 7 % 128)) K$((t * 300)) ]"
            [ "$3" -gt 1 ] && bar="[$3 $bar ]"
            echo "#$t :$t ${program}v$2 l16 o4 $bar"
            t=$((t + 1))
        done
    } > "$1"
}
