#!/usr/bin/env bash
# Re-render the nine circuit pictures from their SVG sources in src/:
# NAME.png at the exact size the window expects and NAME@2x.png at double size.
# Needs rsvg-convert (librsvg2-bin) and the DejaVu Sans font; fails loudly on any size mismatch.
set -euo pipefail
cd "$(dirname "$0")"

# name  width  height   (the sizes the picture labels of the window are laid out for)
PICS="
UOhmplus      158 121
charge_cap    266 180
discharge_cap 220 154
current_cap   174 161
Fcplus        390 178
DY            304 220
series_RLC    235 271
parallel_RLC  252 271
LRSC          214 271
"

command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2; exit 1; }
fc-list 2>/dev/null | grep "DejaVu Sans" >/dev/null || echo "render.sh: warning: DejaVu Sans not found, text will be drawn in another font" >&2

# png_size FILE -> "W H", read from the PNG header (no ImageMagick needed)
png_size() {
    python3 - "$1" <<'PY'
import struct, sys
with open(sys.argv[1], 'rb') as f:
    head = f.read(24)
if head[:8] != b'\x89PNG\r\n\x1a\n' or head[12:16] != b'IHDR':
    sys.exit('not a PNG: ' + sys.argv[1])
print(*struct.unpack('>II', head[16:24]))
PY
}

fail=0
while read -r name w h; do
    [ -n "$name" ] || continue
    src="src/$name.svg"
    [ -f "$src" ] || { echo "render.sh: missing $src" >&2; fail=1; continue; }
    grep -q "viewBox=\"0 0 $w $h\"" "$src" || { echo "render.sh: $src: viewBox is not \"0 0 $w $h\"" >&2; fail=1; }
    for scale in 1 2; do
        if [ "$scale" = 1 ]; then out="$name.png"; else out="$name@${scale}x.png"; fi
        ew=$((w * scale)); eh=$((h * scale))
        rsvg-convert --background-color=white -w "$ew" -h "$eh" -o "$out" "$src"
        got=$(png_size "$out")
        if [ "$got" != "$ew $eh" ]; then
            echo "render.sh: $out is ${got/ /x}, expected ${ew}x${eh}" >&2
            fail=1
        else
            echo "$out ${ew}x${eh}"
        fi
    done
done <<< "$PICS"

if [ "$fail" != 0 ]; then
    echo "render.sh: FAILED" >&2
    exit 1
fi
