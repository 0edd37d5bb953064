#!/bin/sh
# Draws the benchmark's samples (written by `make bench` into bench-out/)
# with gnuplot: frames per second against live effects, and the bytes each
# scene sends per second of game time, paced and unpaced.
set -eu
csv=${1:-bench-out/fps_vs_effects.csv}
png=${2:-doc/fps_vs_effects.png}
scenes=${3:-bench-out/scenes.csv}
command -v gnuplot >/dev/null || scripts/install-deps.sh gnuplot-nox
for scene in "W held" "power-up" "quiet 80x25" "late level" "W held (unpaced)" "power-up (unpaced)"; do
  grep "^$scene," "$csv" | cut -d, -f3,4 | tr , ' ' >"bench-out/$(echo "$scene" | tr -d '()' | tr ' ' _).dat"
done
# One row per scene: name, paced bytes, unpaced bytes.
awk -F, 'NR > 1 { b[$1 "," $2] = $6; if (!($1 in seen)) { seen[$1] = 1; order[n++] = $1 } }
  END { for (i = 0; i < n; i++) printf "\"%s\" %s %s\n", order[i], b[order[i] ",paced"], b[order[i] ",unpaced"] }' \
  "$scenes" >bench-out/bytes.dat
gnuplot <<PLOT
set terminal png size 1300,560
set output "$png"
set multiplot layout 1,2
set title "Frames per second against live effects (0.1 s samples, 80x25)"
set xlabel "live effects"
set ylabel "frames per second"
set logscale y
set grid
set key top right
plot "bench-out/W_held.dat" using 1:2 with points pt 7 ps 0.6 title "W held", \
     "bench-out/W_held_unpaced.dat" using 1:2 with points pt 6 ps 0.6 title "W held, unpaced", \
     "bench-out/power-up.dat" using 1:2 with points pt 5 ps 0.6 title "power-up", \
     "bench-out/power-up_unpaced.dat" using 1:2 with points pt 4 ps 0.6 title "power-up, unpaced", \
     "bench-out/late_level.dat" using 1:2 with points pt 9 ps 0.6 title "late level", \
     "bench-out/quiet_80x25.dat" using 1:2 with points pt 13 ps 0.8 title "quiet"
set title "Bytes to the terminal per second of game time"
unset xlabel
set ylabel "bytes per game second"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set boxwidth 0.9
set xtics rotate by -25 scale 0
set key top left
plot "bench-out/bytes.dat" using 2:xtic(1) title "paced (1/120 s)", "" using 3 title "unpaced (every frame)"
unset multiplot
PLOT
echo "wrote $png"
