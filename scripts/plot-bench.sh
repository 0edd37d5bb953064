#!/bin/sh
# Draws frames per second against live effects from the benchmark's samples
# (bench-out/fps_vs_effects.csv, written by `make bench`) with gnuplot.
set -eu
csv=${1:-bench-out/fps_vs_effects.csv}
png=${2:-doc/fps_vs_effects.png}
command -v gnuplot >/dev/null || scripts/install-deps.sh gnuplot-nox
for scene in "W held" "power-up" "quiet 80x25" "late level"; do
  grep "^$scene," "$csv" | cut -d, -f3,4 | tr , ' ' >"bench-out/$(echo "$scene" | tr ' ' _).dat"
done
gnuplot <<PLOT
set terminal png size 900,560
set output "$png"
set title "Frames per second against live effects (0.1 s samples, 80x25)"
set xlabel "live effects"
set ylabel "frames per second"
set logscale y
set grid
set key top right
plot "bench-out/W_held.dat" using 1:2 with points pt 7 ps 0.6 title "W held", \
     "bench-out/power-up.dat" using 1:2 with points pt 5 ps 0.6 title "power-up", \
     "bench-out/late_level.dat" using 1:2 with points pt 9 ps 0.6 title "late level", \
     "bench-out/quiet_80x25.dat" using 1:2 with points pt 13 ps 0.8 title "quiet"
PLOT
echo "wrote $png"
