#!/bin/sh
# Compat labels: docs/compat.md and the marks in src/ and include/ agree.
#
# What it checks:
#  1. Every id of docs/compat.md (the first cell of a table row, "| Q7 |" or
#     "| D3 |") is listed once, is marked in src/ or include/ ("Q7:" in a //
#     comment), and every mark there is listed.
#  2. The "Where" cell (the third) of every row. Its backticked words are read
#     in order: one with a "/" is a file, the words after it (up to the next
#     file) are names in that file; text outside backticks is for people and
#     not read. Each file must exist. A file named without names must hold the
#     id's mark. A name must be defined in its file, and one of its
#     definitions must hold the mark:
#     - a definition of NAME is a line where NAME stands as a whole word,
#       perhaps after qualifiers (A::NAME), followed (after blanks) by "(",
#       "[", "{", "=", ";" or a single ":", and before it (and its qualifiers) on
#       the line only a declaration's words: nothing of "(", "=", ",", ".",
#       "->", "!", "?" and no "return", "else", "case" or "throw" there; a
#       line with nothing before NAME and its qualifiers counts only when
#       they start in the first column, qualified, and the line does not
#       end with ";" (a member defined outside its class);
#     - "A::B" not defined as it stands is looked for as B inside the
#       definition of A (a member defined in its class);
#     - a definition reaches from the comment and template lines right above
#       it to its closing brace (braces counted outside strings and
#       comments), or to its ";" when a ";" comes before any "{";
#     - it holds the mark when a // comment of one of those lines does.
#  3. A mark does not repeat a comment beside it: no // comment line within
#     five lines of a mark reads as the mark's text (letters and digits
#     alike, case aside, without "Q7:" and "(docs/compat.md)").
set -eu
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Each command writes a file, so that a failing one fails the script (a
# pipeline's status is that of its last command only).
# Ids listed: the first cell of a table row, "| Q7 |" or "| D3 |".
sed -n 's/^| *\([QD][0-9][0-9]*\) *|.*/\1/p' docs/compat.md >"$tmp/cells"
sort "$tmp/cells" >"$tmp/rows"
sort -u "$tmp/rows" >"$tmp/listed"
# Ids marked: "Q7:" or "D3:" in a // comment of the sources and headers.
git ls-files 'src/*.h' 'src/*.cpp' 'include/*.h' >"$tmp/files"
[ -s "$tmp/files" ]
sort "$tmp/files" >"$tmp/sources"
# shellcheck disable=SC2046 # one argument per file; no file name holds a blank
awk '{
  i = index($0, "//"); if (!i) next
  s = " " substr($0, i)
  while (match(s, /[^A-Za-z0-9_][QD][0-9]+:/)) { print substr(s, RSTART + 1, RLENGTH - 2); s = substr(s, RSTART + RLENGTH) }
}' $(cat "$tmp/sources") >"$tmp/marks"
sort -u "$tmp/marks" >"$tmp/marked"

status=0
if [ ! -s "$tmp/listed" ]; then
  echo "compat: docs/compat.md lists no ids"
  status=1
fi
for id in $(uniq -d "$tmp/rows"); do
  echo "compat: $id is listed more than once in docs/compat.md"
  status=1
done
for id in $(comm -23 "$tmp/listed" "$tmp/marked"); do
  echo "compat: $id is listed in docs/compat.md but marked nowhere in src/ or include/"
  status=1
done
for id in $(comm -13 "$tmp/listed" "$tmp/marked"); do
  echo "compat: $id is marked in src/ or include/ but not listed in docs/compat.md"
  status=1
done

# 2. The places of the "Where" cells, one a line: id, file, name (or "-").
awk -F'|' '/^\| *[QD][0-9]+ *\|/ {
  id = $2; gsub(/ /, "", id)
  cell = $4; file = ""; named = 0
  while (match(cell, /`[^`]*`/)) {
    word = substr(cell, RSTART + 1, RLENGTH - 2); cell = substr(cell, RSTART + RLENGTH)
    if (index(word, "/")) {
      if (file != "" && !named) print id "\t" file "\t-"
      file = word; named = 0
    } else if (file != "") { print id "\t" file "\t" word; named = 1 }
    else print id "\t-\t" word
  }
  if (file != "" && !named) print id "\t" file "\t-"
  if (file == "" && !named) print id "\t-\t-"
}' docs/compat.md >"$tmp/places"

# Reads one place and says what is wrong with it, if anything.
cat >"$tmp/place.awk" <<'EOF'
function code(s,    out, c, i, q) {  # the line without strings, characters and // comments
  out = ""; q = ""
  for (i = 1; i <= length(s); i++) {
    c = substr(s, i, 1)
    if (q != "") { if (c == "\\") i++; else if (c == q) { q = ""; out = out c } continue }
    if (c == "\"" || c == "'") { q = c; out = out c; continue }
    if (c == "/" && substr(s, i + 1, 1) == "/") break
    out = out c
  }
  return out
}
function marked(k,    at) {  # whether line k holds the id's mark in its comment
  at = index(L[k], "//")
  return at > 0 && substr(L[k], at) ~ ("(^|[^A-Za-z0-9_])" ID ":")
}
function isdef(k, name,    s, at, before, after, rest, p, qualified) {
  s = C[k]
  if (s ~ /^[ \t]*#/) return 0
  for (p = 1; (at = index(substr(s, p), name)) > 0; p += at) {
    at += p - 1
    before = substr(s, 1, at - 1); after = substr(s, at + length(name))
    qualified = index(name, "::") > 0 || before ~ /::$/
    sub(/[A-Za-z0-9_<>]*(::[A-Za-z0-9_<>]*)*::$/, "", before)
    if (before ~ /[A-Za-z0-9_:~]$/ || after ~ /^[A-Za-z0-9_]/) { at = at - p + 2; continue }
    rest = after; sub(/^[ \t]+/, "", rest)
    if (rest !~ /^([\(\[\{=;]|:[^:]|:$)/) { at = at - p + 2; continue }
    if (before ~ /^[ \t]*$/) return (before == "" && qualified && s !~ /;[ \t]*$/)
    if (before ~ /[\(=,.!?]|->/) return 0
    if (before ~ /(^|[^A-Za-z0-9_])(return|else|case|throw)[ \t]*$/) return 0
    return 1
  }
  return 0
}
function extent(k, last,    j, i, c, depth, seen) {  # sets FROM and TO of the definition at line k
  FROM = k
  while (FROM > 1 && (L[FROM - 1] ~ /^[ \t]*\/\// || L[FROM - 1] ~ /^[ \t]*template[ \t]*</)) FROM--
  depth = 0; seen = 0
  for (j = k; j <= last; j++) {
    for (i = 1; i <= length(C[j]); i++) {
      c = substr(C[j], i, 1)
      if (c == "{") { depth++; seen = 1 }
      else if (c == "}") { depth--; if (seen && depth == 0) { TO = j; return } }
      else if (c == ";" && !seen) { TO = j; return }
    }
  }
  TO = last
}
function holds(name, first, last,    k, m) {  # whether a definition of name in first..last holds the mark
  FOUND = 0
  for (k = first; k <= last; k++) {
    if (!isdef(k, name)) continue
    FOUND = 1; extent(k, last)
    for (m = FROM; m <= TO; m++) if (marked(m)) return 1
  }
  return 0
}
{ L[NR] = $0; C[NR] = code($0) }
END {
  n = NR
  if (NAME == "-") {
    for (k = 1; k <= n; k++) if (marked(k)) exit 0
    print "compat: " ID ": " FILE " holds no mark " ID; exit 0
  }
  if (holds(NAME, 1, n)) exit 0
  if (!FOUND && index(NAME, "::") > 0) {
    outer = NAME; sub(/::[^:]*$/, "", outer); inner = NAME; sub(/^.*::/, "", inner)
    for (k = 1; k <= n; k++) {
      if (C[k] !~ /(^|[^A-Za-z0-9_])(struct|class)[ \t]/ || !isdef(k, outer)) continue
      extent(k, n); first = k; last = TO
      if (holds(inner, first, last)) exit 0
      if (FOUND) break
    }
  }
  if (!FOUND) print "compat: " ID ": " FILE " defines no " NAME
  else print "compat: " ID ": no definition of " NAME " in " FILE " holds the mark " ID
}
EOF

tab=$(printf '\t')
while IFS="$tab" read -r id file name; do
  if [ "$file" = "-" ]; then
    echo "compat: $id: its Where cell names no file"
    status=1
  elif [ ! -f "$file" ]; then
    echo "compat: $id: $file does not exist"
    status=1
  else
    said=$(awk -v ID="$id" -v FILE="$file" -v NAME="$name" -f "$tmp/place.awk" "$file")
    if [ -n "$said" ]; then
      echo "$said"
      status=1
    fi
  fi
done <"$tmp/places"

# 3. Marks that repeat a comment beside them.
# shellcheck disable=SC2046 # the paths hold no blanks
said=$(awk '
function text(s) {
  s = substr(s, index(s, "//") + 2)
  sub(/^[ \t]*[QD][0-9]+:/, "", s); sub(/\(docs\/compat\.md\)\.?[ \t]*$/, "", s)
  s = tolower(s); gsub(/[^a-z0-9]/, "", s)
  return s
}
function mark(k) { return L[k] ~ /\/\/[ \t]*[QD][0-9]+:/ }
{ L[NR] = $0; F[NR] = FILENAME; N[NR] = FNR }
END {
  for (k = 1; k <= NR; k++) {
    if (!mark(k)) continue
    t = text(L[k])
    for (j = k - 5; j <= k + 5; j++)
      if (j >= 1 && j <= NR && j != k && F[j] == F[k] && L[j] ~ /^[ \t]*\/\// && !mark(j) && text(L[j]) == t)
        print "compat: " F[k] ":" N[k] ": the mark repeats the comment at line " N[j]
  }
}' $(cat "$tmp/sources"))
if [ -n "$said" ]; then
  echo "$said"
  status=1
fi

[ "$status" -eq 0 ] &&
  echo "compat: $(wc -l <"$tmp/listed" | tr -d ' ') ids listed and marked, $(wc -l <"$tmp/places" | tr -d ' ') places where they are"
exit "$status"
