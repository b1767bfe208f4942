# gpenc.props loses one library source (src/jt808/StandardCard.cpp), so a client DLL built with it lacks that source's code; .ci/props.sh --list-only must fail.
apply() {
  grep -q 'src\\jt808\\StandardCard.cpp' gpenc.props
  python3 - <<'PY'
import re
with open("gpenc.props") as f:
    text = f.read()
text = re.sub(r'\n *\$\(MSBuildThisFileDirectory\)src\\jt808\\StandardCard\.cpp;', "", text)
with open("gpenc.props", "w") as f:
    f.write(text)
PY
}
check() {
  .ci/props.sh --list-only
}
