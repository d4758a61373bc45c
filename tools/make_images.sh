#!/usr/bin/env bash
# Draws the page frame's images into web/Files/Quin/ with ImageMagick. Run once by hand when
# the images change; the build uses the committed files and does not need ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../web/Files/Quin"
IM=/usr/bin/convert
FONT=DejaVu-Sans-Bold
[ -x "$IM" ] || { echo "ImageMagick is needed: apt-get install imagemagick" >&2; exit 1; }

# Banner: a deep blue gradient with the product name and its subtitle on the left (760 x 77),
# in English (top1a.jpg) and in Polish (top1a_plk.jpg), and its continuation filling the rest
# of the width (top2.jpg).
for banner in 'top1a.jpg:Media research analysis' 'top1a_plk.jpg:Analiza badań mediów'; do
  $IM -size 77x760 gradient:'#1f4e79-#2e75b6' -rotate 90 \
    -font $FONT -pointsize 34 -fill white -annotate +24+46 'Quinview' \
    -font DejaVu-Sans -pointsize 14 -fill '#dbe8f5' -annotate +26+66 "${banner#*:}" \
    -quality 90 "${banner%%:*}"
done
$IM -size 8x77 xc:'#1f4e79' -quality 90 top2.jpg
# Menu bar background and its divider.
$IM -size 8x23 gradient:'#f4f7fb-#dfe6ee' -quality 92 lbbg.jpg
$IM -size 2x23 xc:none -fill '#b7c4d3' -draw 'line 0,4 0,18' -fill white -draw 'line 1,4 1,18' lbdiv.gif
# Status line background.
$IM -size 8x19 gradient:'#e9eef4-#d6dee8' -quality 92 top2bg.jpg
# Subtitle bullet.
$IM -size 15x16 xc:none -fill '#2e75b6' -draw 'roundrectangle 3,4 11,12 2,2' bullet3.gif
# Flags, 23 x 16: England (St George's cross) and Poland.
$IM -size 23x16 xc:white -fill '#c8102e' -draw 'rectangle 9,0 13,15' -draw 'rectangle 0,6 22,9' \
  -fill none -stroke '#9aa5b1' -draw 'rectangle 0,0 22,15' flagen.gif
$IM -size 23x16 xc:white -fill '#dc143c' -draw 'rectangle 0,8 22,15' \
  -fill none -stroke '#9aa5b1' -draw 'rectangle 0,0 22,15' flagpl.gif
# Page icon.
$IM -size 16x16 xc:'#1f4e79' -fill white -font $FONT -pointsize 13 -gravity center -annotate +0+0 'Q' favicon.ico
# Significance marks of table cells, 9 x 11: higher (a green triangle up), lower (a red triangle
# down), and a blank of the same size that keeps the columns aligned.
$IM -size 9x11 xc:none -fill '#1e8c3a' -stroke '#1e8c3a' -draw 'polygon 4,2 8,8 0,8' UpGreen.gif
$IM -size 9x11 xc:none -fill '#c62828' -stroke '#c62828' -draw 'polygon 0,2 8,2 4,8' DownRed.gif
$IM -size 9x11 xc:none SpaceUpDown.gif
# Icons of the analysis templates, 48 x 48, named by the template's icon number: frequencies
# (bars), cross-tabs (a table with its headers shaded), compare waves (a line over time),
# compare target groups (two overlapping groups) and complex questions (stacked tables). The
# web offers the first two.
BG="roundrectangle 1,1 46,46 7,7"
$IM -size 48x48 xc:none -fill '#eef4fa' -stroke '#9fb6cc' -draw "$BG" -stroke none \
  -fill '#2e75b6' -draw 'rectangle 9,10 38,15' -draw 'rectangle 9,19 30,24' \
  -draw 'rectangle 9,28 34,33' -draw 'rectangle 9,37 22,41' \
  -fill '#1f4e79' -draw 'rectangle 7,8 8,43' wiz0.gif
$IM -size 48x48 xc:none -fill '#eef4fa' -stroke '#9fb6cc' -draw "$BG" \
  -fill '#ffffff' -stroke '#1f4e79' -draw 'rectangle 8,9 40,39' -stroke none \
  -fill '#9dc3e6' -draw 'rectangle 9,10 39,17' -draw 'rectangle 9,10 18,38' \
  -stroke '#1f4e79' -draw 'line 8,18 40,18' -draw 'line 8,28 40,28' -draw 'line 19,9 19,39' \
  -draw 'line 29,9 29,39' wiz1.gif
$IM -size 48x48 xc:none -fill '#eef4fa' -stroke '#9fb6cc' -draw "$BG" \
  -stroke '#1f4e79' -draw 'line 8,39 40,39' -draw 'line 8,9 8,39' \
  -stroke '#2e75b6' -strokewidth 3 -draw 'line 11,33 20,25' -draw 'line 20,25 28,29' \
  -draw 'line 28,29 38,13' \
  -strokewidth 1 -fill '#c55a11' -stroke none -draw 'circle 20,25 22,25' \
  -draw 'circle 38,13 40,13' wiz2.gif
$IM -size 48x48 xc:none -fill '#eef4fa' -stroke '#9fb6cc' -draw "$BG" -stroke none \
  -fill '#2e75b6a0' -draw 'circle 18,24 18,10' -fill '#c55a11a0' -draw 'circle 30,24 30,10' \
  wiz3.gif
$IM -size 48x48 xc:none -fill '#eef4fa' -stroke '#9fb6cc' -draw "$BG" \
  -fill '#dbe8f5' -stroke '#1f4e79' -draw 'rectangle 16,7 40,29' \
  -fill '#ffffff' -draw 'rectangle 12,12 36,34' -fill '#ffffff' -draw 'rectangle 8,17 32,40' \
  -draw 'line 8,24 32,24' -draw 'line 8,32 32,32' -draw 'line 16,17 16,40' -draw 'line 24,17 24,40' \
  wiz15.gif
