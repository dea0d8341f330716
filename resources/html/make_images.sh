#!/usr/bin/env bash
# Draws the small GIF pictures of the report pages (legend images of the
# program categories, screen, data store and missing-entity marks) with
# ImageMagick into images/. The GIFs are committed; run this again after a
# change. The report run copies images/ whole into every report set.
set -euo pipefail
cd "$(dirname "$0")/images"
FONT=DejaVu-Sans-Bold

# gif <file> <canvas draw commands...>: a 16x16 picture flattened on white.
finish() {
  convert "$1.png" -background white -flatten -colors 64 "$1.gif"
  rm -f "$1.png"
}
# badge <file> <fill> <text colour> <text> [pointsize]: rounded square with a label.
badge() {
  convert -size 16x16 xc:none -fill "$2" -stroke '#303030' -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 15.5,15.5 3,3" -font $FONT -pointsize "${5:-10}" -fill "$3" -stroke none \
    -gravity center -annotate +0+0 "$4" "$1.png"
}
# called: a small white arrow head in the upper right corner.
called() {
  convert "$1.png" -fill white -stroke '#303030' -strokewidth 0.6 -draw "polygon 10,1 15,4 10,7" "$1.png"
}
# data: a small data-store mark in the lower right corner.
data() {
  convert "$1.png" -fill '#f4d03f' -stroke '#5d4a06' -strokewidth 0.6 \
    -draw "rectangle 10,11 15,15" -draw "ellipse 12.5,11 2.5,1.2 0,360" "$1.png"
}

badge CF '#00b6b6' white C; finish CF
badge CFCalled '#00b6b6' white C; called CFCalled; finish CFCalled
badge CFMix '#00b6b6' white C; data CFMix; finish CFMix
badge CFMixCalled '#00b6b6' white C; called CFMixCalled; data CFMixCalled; finish CFMixCalled
badge Transition '#007bb7' white T; finish Transition
badge TransitionCalled '#007bb7' white T; called TransitionCalled; finish TransitionCalled
badge Frontier '#ffff00' black F; finish Frontier
badge FDA '#ffff00' black DA 7; finish FDA
badge FDL '#ffff00' black DL 7; finish FDL
badge FLO '#ffff00' black LO 7; finish FLO
badge SDA '#ff8000' black DA 7; finish SDA
badge SDL '#ff8000' black DL 7; finish SDL
badge SLO '#ff8000' black LO 7; finish SLO
badge Irregular '#ffdfa0' '#a04000' '!'; finish Irregular
badge Batch '#c800c8' white B; finish Batch
badge NoCat '#ffe6e6' '#804040' '?'; finish NoCat

# A screen: a dark monitor with green lines, as screens are drawn in the diagrams.
convert -size 16x16 xc:none -fill black -stroke '#303030' -strokewidth 1 \
  -draw "roundrectangle 0.5,1.5 15.5,12.5 2,2" -stroke '#00e000' -strokewidth 1 \
  -draw "line 3,5 12,5" -draw "line 3,8 9,8" -stroke '#303030' -fill '#303030' -draw "rectangle 6,13 9,15" Screen.png
finish Screen
# A data store: a cylinder.
convert -size 16x16 xc:none -fill '#f4d03f' -stroke '#5d4a06' -strokewidth 1 \
  -draw "rectangle 2.5,3.5 13.5,13.5" -draw "ellipse 8,13.5 5.5,2 0,180" -stroke none -draw "rectangle 3,4 13,13" \
  -stroke '#5d4a06' -draw "line 2.5,3.5 2.5,13.5" -draw "line 13.5,3.5 13.5,13.5" -draw "ellipse 8,3.5 5.5,2 0,360" Store.png
finish Store
# A missing entity (a stub): a dashed red frame with a cross, 15 pixels wide.
convert -size 15x16 xc:none -fill white -stroke '#d00000' -strokewidth 1 -draw "stroke-dasharray 2 1 rectangle 0.5,0.5 14.5,15.5" \
  -strokewidth 1.5 -draw "line 4,4 10.5,11.5" -draw "line 10.5,4 4,11.5" missing.png
finish missing
