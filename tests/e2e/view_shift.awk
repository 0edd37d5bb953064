# How far the world moved on screen between two screen captures:
#
#   awk -f view_shift.awk BEFORE AFTER
#
# prints "ROWS COLS", the shift that carries the most letter cells of BEFORE
# onto letter cells of AFTER, or "none" when it carries fewer than 80 of
# them, or under half of them (a turn may take some off screen). The letter
# cells ('A' on the first level: the formation and the centres of enemy
# shots) stay put in the world, so every one of them moves by the view's
# turn; shots that come or go in between only add a few stray votes.
FNR == 1 { file++ }
{
  for (c = index($0, "A"); c > 0; c = next_a($0, c)) {
    if (file == 1) before[++nb] = (FNR - 1) " " (c - 1)
    else { after[++na] = (FNR - 1) " " (c - 1); there[(FNR - 1) " " (c - 1)] = 1 }
  }
}
function next_a(line, from,    rest, i) {
  rest = substr(line, from + 1)
  i = index(rest, "A")
  return i > 0 ? from + i : 0
}
END {
  best = 0
  for (i = 1; i <= nb; i++) {
    split(before[i], b, " ")
    for (j = 1; j <= na; j++) {
      split(after[j], a, " ")
      key = (a[1] - b[1]) " " (a[2] - b[2])
      if (++votes[key] > best) { best = votes[key]; shift = key }
    }
  }
  if (best < 80 || best < 0.5 * nb) { print "none"; exit }
  print shift
}
