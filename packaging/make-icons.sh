#!/usr/bin/env bash
# Draws the program icon (the same picture the program draws for its windows:
# a modem-blue rounded tile with a light-green ">_" prompt) as PNG files for the
# hicolor theme and as an SVG. Run once by hand when the picture changes; the
# results are kept in packaging/icons/. Needs ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/icons"

blue='#1d4e89'
green='#9be56b'

# Coordinates are fractions of the icon size, as in the program's drawing code.
f() { awk -v s="$1" -v k="$2" 'BEGIN { printf "%.2f", s * k }'; }

for s in 16 24 32 48 64 128 256; do
  convert -size "${s}x${s}" xc:none \
    -fill "$blue" -stroke none \
    -draw "roundrectangle $(f $s 0.04),$(f $s 0.04) $(f $s 0.96),$(f $s 0.96) $(f $s 0.18),$(f $s 0.18)" \
    -fill none -stroke "$green" -strokewidth "$(f $s 0.09)" \
    -draw "stroke-linecap round stroke-linejoin round polyline $(f $s 0.24),$(f $s 0.30) $(f $s 0.44),$(f $s 0.48) $(f $s 0.24),$(f $s 0.66)" \
    -draw "stroke-linecap round line $(f $s 0.52),$(f $s 0.68) $(f $s 0.76),$(f $s 0.68)" \
    -define png:exclude-chunks=date,time -strip "PNG32:emuvola-${s}.png"
done

cat > emuvola.svg <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 100 100">
  <rect x="4" y="4" width="92" height="92" rx="18" ry="18" fill="#1d4e89"/>
  <g fill="none" stroke="#9be56b" stroke-width="9" stroke-linecap="round" stroke-linejoin="round">
    <polyline points="24,30 44,48 24,66"/>
    <line x1="52" y1="68" x2="76" y2="68"/>
  </g>
</svg>
SVG
