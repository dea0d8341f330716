#!/usr/bin/env bash
# Draws the tool's pictures (tree and toolbar images, product icon, logo)
# with ImageMagick. The PNGs are committed; run this again after a change.
set -euo pipefail
cd "$(dirname "$0")"
FONT=DejaVu-Sans-Bold

# badge <file> <fill> <text> [pointsize]: rounded square with a short label.
badge() {
  convert -size 32x32 xc:none -fill "$2" -stroke '#00000060' -strokewidth 1 \
    -draw "roundrectangle 1,1 30,30 7,7" -font $FONT -pointsize "${4:-14}" -fill white -stroke none \
    -gravity center -annotate +0+1 "$3" "$1.png"
}
# mark <file>: adds a small data-store mark in the lower right corner.
mark_data() {
  convert "$1.png" -fill '#f4d03f' -stroke '#7d6608' -strokewidth 1 \
    -draw "ellipse 25,26 6,3 0,360" -draw "rectangle 19,21 31,26" -draw "ellipse 25,21 6,3 0,360" "$1.png"
}
# mark_called <file>: adds a small incoming arrow in the upper right corner.
mark_called() {
  convert "$1.png" -fill white -stroke '#000000a0' -strokewidth 1 \
    -draw "polygon 20,3 30,8 20,13" "$1.png"
}
monitor() {
  convert -size 32x32 xc:none -fill "$2" -stroke '#203040' -strokewidth 2 \
    -draw "roundrectangle 3,4 28,21 2,2" -fill '#203040' -draw "rectangle 13,22 18,25" \
    -draw "rectangle 8,26 23,27" "$1.png"
}
cylinder() {
  convert -size 32x32 xc:none -fill "$2" -stroke '#404040' -strokewidth 1.5 \
    -draw "rectangle 6,8 25,25" -draw "ellipse 15.5,25 9.5,4 0,180" \
    -stroke none -draw "rectangle 7,8 24,24" -stroke '#404040' \
    -draw "line 6,8 6,25" -draw "line 25,8 25,25" -draw "ellipse 15.5,8 9.5,4 0,360" "$1.png"
}
page() {
  convert -size 32x32 xc:none -fill white -stroke '#404040' -strokewidth 1.5 \
    -draw "polygon 7,3 20,3 26,9 26,29 7,29" -draw "line 20,3 20,9" -draw "line 20,9 26,9" \
    -stroke "$2" -strokewidth 2 -draw "line 10,14 23,14" -draw "line 10,19 23,19" -draw "line 10,24 19,24" "$1.png"
}
folder() {
  convert -size 32x32 xc:none -fill "$2" -stroke '#5a4a10' -strokewidth 1.5 \
    -draw "polygon 2,8 11,8 14,11 29,11 29,27 2,27" "$1.png"
  if [ -n "${3:-}" ]; then
    convert "$1.png" -font $FONT -pointsize 11 -fill '#202020' -gravity center -annotate +1+4 "$3" "$1.png"
  fi
}

# Program categories of the Summary tree.
badge "Client_Facing" '#2f6fd0' C
badge "Client_Facing_Data" '#2f6fd0' C; mark_data "Client_Facing_Data"
badge "Client_Facing_Called" '#2f6fd0' C; mark_called "Client_Facing_Called"
badge "Client_Facing_Called_Data" '#2f6fd0' C; mark_called "Client_Facing_Called_Data"; mark_data "Client_Facing_Called_Data"
badge "Transitional" '#8a4fc7' T
badge "Transitional_Called" '#8a4fc7' T; mark_called "Transitional_Called"
badge "Frontier" '#e08a1e' F
badge "Frontier_Data_Access" '#e08a1e' FA 12; mark_data "Frontier_Data_Access"
badge "Frontier_Data_Logic" '#e08a1e' FD 12; mark_data "Frontier_Data_Logic"
badge "Frontier_Logic_Only" '#e08a1e' FL 12
badge "Frontier_Irregular" '#b5651d' F?  12
badge "Server" '#2e9e4f' S
badge "Server_Data_Access" '#2e9e4f' SA 12; mark_data "Server_Data_Access"
badge "Server_Data_Logic" '#2e9e4f' SD 12; mark_data "Server_Data_Logic"
badge "Server_Logic_Only" '#2e9e4f' SL 12
badge "Server_Irregular" '#1e6b35' S? 12
badge "Batch" '#6b6b6b' B
badge "No_Category" '#a0a0a0' '–'
badge "Regular_Programs" '#178f8f' P
badge "Irregular_Programs" '#c0392b' P?  12
folder "Client_Branch" '#9cc3f5' C
folder "Server_Branch" '#a9e0b8' S
monitor "Screens" '#bfe3ff'
cylinder "Data_Stores" '#f4d03f'
page "File" '#7a7a7a'
badge "Missing" '#c0392b' '?' 18

# Toolbar.
folder "OpenWorkspace" '#f5d76e'
convert -size 32x32 xc:none -fill none -stroke '#2e7d32' -strokewidth 3.5 -draw "arc 5,5 27,27 40,330" \
  -fill '#2e7d32' -stroke none -draw "polygon 19,2 29,8 19,13" Refresh.png
page "GenerateReports" '#2f6fd0'
convert -size 32x32 xc:none -fill none -stroke '#2e9e4f' -strokewidth 4.5 -draw "polyline 5,17 13,25 27,7" Validation.png

# Web operations and web services trees.
badge "Mainfr" '#505a66' MF 11
convert -size 32x32 xc:none -fill '#4aa3df' -stroke '#1b4f72' -strokewidth 1.5 -draw "circle 16,16 16,2" \
  -fill none -draw "ellipse 16,16 6,14 0,360" -draw "line 2,16 30,16" -draw "line 4,9 28,9" -draw "line 4,23 28,23" AWebService.png
convert -size 32x32 xc:none -fill '#2f6fd0' -draw "circle 16,16 16,2" -font DejaVu-Serif-Bold -pointsize 20 \
  -fill white -gravity center -annotate +0+1 i Info.png
monitor "Screen" '#bfe3ff'
monitor "AScreen" '#d6f5d6'
convert -size 32x32 xc:none -fill '#e08a1e' -stroke '#7e4a0b' -strokewidth 1.5 -draw "polygon 16,2 30,16 16,30 2,16" Logic.png
convert -size 32x32 xc:none -fill '#e08a1e' -stroke '#404040' -strokewidth 1.5 -draw "polygon 16,2 30,16 16,30 2,16" \
  -fill '#bfe3ff' -stroke none -draw "polygon 16,3 16,29 3,16" Mix.png
convert -size 32x32 xc:none -stroke '#1b4f72' -strokewidth 3 -draw "line 5,11 24,11" -draw "line 8,21 27,21" \
  -fill '#1b4f72' -stroke none -draw "polygon 22,5 30,11 22,17" -draw "polygon 10,15 2,21 10,27" Converse.png
convert -size 32x32 xc:none -fill '#303030' -draw "circle 16,16 16,10" Bull.png
convert -size 32x32 xc:none -fill white -stroke '#404040' -strokewidth 1.5 -draw "rectangle 3,5 28,27" \
  -fill '#9cc3f5' -draw "rectangle 3,5 28,11" -draw "line 3,19 28,19" -draw "line 15,5 15,27" Table.png
convert -size 32x32 xc:none -stroke '#404040' -strokewidth 1.5 -fill '#f4d03f' -draw "rectangle 11,3 21,10" \
  -draw "line 16,10 16,15" -draw "line 7,15 25,15" -draw "line 7,15 7,19" -draw "line 25,15 25,19" \
  -fill '#bfe3ff' -draw "rectangle 2,19 12,27" -draw "rectangle 20,19 30,27" HierarchicalSegment.png
convert -size 32x32 xc:none -fill '#8a4fc7' -stroke '#3c1f5c' -strokewidth 1.5 -draw "roundrectangle 2,6 29,25 10,10" \
  -font $FONT -pointsize 14 -fill white -stroke none -gravity center -annotate +0+0 P ACloseProcess.png
convert -size 32x32 xc:none -fill white -stroke '#404040' -strokewidth 1.5 -draw "rectangle 5,5 26,26" \
  -stroke '#2e7d32' -strokewidth 3 -draw "line 9,15.5 22,15.5" -draw "line 15.5,9 15.5,22" AExpand.png
convert -size 32x32 xc:none -fill white -stroke '#404040' -strokewidth 1.5 -draw "rectangle 5,5 26,26" \
  -stroke '#c0392b' -strokewidth 3 -draw "line 9,15.5 22,15.5" ATrim.png
convert -size 32x32 xc:none -stroke '#8a4fc7' -strokewidth 4 -draw "line 3,16 22,16" \
  -fill '#8a4fc7' -stroke none -draw "polygon 19,7 30,16 19,25" Transition.png
convert -size 32x32 xc:none -stroke '#8a4fc7' -strokewidth 4 -draw "line 3,16 22,16" \
  -fill '#e08a1e' -stroke none -draw "polygon 19,7 30,16 19,25" -fill '#bfe3ff' -draw "circle 7,8 7,3" TransMix.png

# Product icon and the splash logo.
convert -size 64x64 xc:none -fill '#1f4e8c' -draw "roundrectangle 1,1 62,62 14,14" \
  -fill none -stroke white -strokewidth 6 -draw "circle 30,30 30,12" -draw "line 38,38 52,52" Product.Icon.png
convert -size 360x120 gradient:'#1f4e8c'-'#3d7cc9' \
  -fill none -stroke white -strokewidth 7 -draw "circle 58,58 58,30" -draw "line 71,71 90,90" \
  -stroke none -fill white -font $FONT -pointsize 30 -annotate +110+62 'Quarvel' \
  -font DejaVu-Sans -pointsize 22 -annotate +110+92 'Analyzer' Logo.png
