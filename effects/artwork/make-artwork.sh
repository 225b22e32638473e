#!/usr/bin/env bash
# Makes the three 99x99 pictures each plug-in embeds as "DATA" resources 0, 1
# and 2 (see effects/*/*.rc). The PNGs are committed, so building needs none of
# this; run it only to change the artwork. Needs ImageMagick and the Liberation
# fonts (scripts/install-deps.sh). Same tools and fonts give the same bytes:
# no time stamps or other metadata go into the files.
#
#   0  effects/artwork/KESTRAVON_LogoTealGlow.PNG        shared: emblem, opaque RGB
#   1  effects/artwork/KESTRAVON_WebLinkText.png         shared: web address, RGBA
#   2  effects/nulltest/artwork/..._Pomrik.png           nulltest title, RGBA
#   2  effects/tonegen/artwork/..._997HzToneGenerator.png tonegen title, RGBA
#
# Where the editors put them decides the rows used. tonegen draws all three at
# (0, 0) over its 100x100 surface with the build date at (15, 85); nulltest
# draws the address at (40, -55), so only rows 55-98 show, and the title at
# (40, 25) just above its build date at (58, 50). Hence: address in rows 64-76
# below the emblem (rows 29-63), titles in rows 0-24 above it.
set -euo pipefail
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
effects=$(dirname "$here")

fonts=/usr/share/fonts/truetype/liberation
sans=$fonts/LiberationSans-Regular.ttf
bold=$fonts/LiberationSans-Bold.ttf
narrow_bold=$fonts/LiberationSansNarrow-Bold.ttf
for f in "$sans" "$bold" "$narrow_bold"; do
  [ -f "$f" ] || { echo "make-artwork: missing font $f (install fonts-liberation)" >&2; exit 1; }
done

# 8 bits per channel, no metadata: reruns give identical files.
png=(-depth 8 -strip -define png:exclude-chunks=date,time +set date:create +set date:modify)
teal='rgb(0,200,190)'
light_teal='rgb(120,255,240)'

# Emblem: a dark-teal rounded square with a soft teal glow and a "K", on black.
convert -size 99x99 xc:black \
  \( -size 99x99 xc:none -fill "$teal" -draw 'roundrectangle 25,25,67,67 8,8' -blur 0x6 \) \
  -compose screen -composite -compose over \
  -fill 'rgb(0,52,56)' -stroke 'rgb(40,210,200)' -strokewidth 2 \
  -draw 'roundrectangle 29,29,63,63 6,6' \
  -stroke none -fill "$light_teal" -font "$bold" -pointsize 26 -gravity center -annotate +0-3 K \
  -alpha off "${png[@]}" -define png:color-type=2 "PNG24:$here/KESTRAVON_LogoTealGlow.PNG"

# Web address: an underlined link line on transparent ground.
convert -size 99x99 xc:none \
  -fill 'rgb(110,200,255)' -font "$sans" -pointsize 11 -gravity north -annotate +0+62 \
  'kestravon.example' \
  -gravity northwest -draw 'line 6,76 92,76' \
  "${png[@]}" "PNG32:$here/KESTRAVON_WebLinkText.png"

# Title of the null tester: name over what it does.
mkdir -p "$effects/nulltest/artwork"
convert -size 99x99 xc:none -gravity north \
  -fill white -font "$bold" -pointsize 16 -annotate +0+0 'POMRIK' \
  -fill "$light_teal" -font "$narrow_bold" -pointsize 9 -annotate +0+15 'NULL TEST METER' \
  "${png[@]}" "PNG32:$effects/nulltest/artwork/KESTRAVON_LogoTealGlow_PluginTitle_Pomrik.png"

# Title of the tone generator: its frequency over what it is.
mkdir -p "$effects/tonegen/artwork"
convert -size 99x99 xc:none -gravity north \
  -fill white -font "$bold" -pointsize 16 -annotate +0+0 '997 Hz' \
  -fill "$light_teal" -font "$narrow_bold" -pointsize 9 -annotate +0+15 'TONE GENERATOR' \
  "${png[@]}" \
  "PNG32:$effects/tonegen/artwork/KESTRAVON_LogoTealGlow_PluginTitle_997HzToneGenerator.png"
