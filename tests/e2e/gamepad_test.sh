#!/bin/bash
# A gamepad instead of the keyboard: SDL's virtual joystick, plugged in while the show
# runs (tests/e2e/virtual_pad.c), with the module sped up so that the gallery comes in
# seconds. Its d-pad Right turns the room, taps of B, X and A change the pictures, a pad
# pulled out while Right is held lets the room stand, and Start on a pad plugged in again
# ends the show with exit code 0.
source "$(dirname "$0")/lib.sh" "$@"
VIRTUAL_PAD=$(dirname "$SWAP_COUNTER")/libvirtual_pad.so
[ -f "$VIRTUAL_PAD" ] || fail "no $VIRTUAL_PAD (build the virtual_pad target)"

start_x 800x600x16
make_run_folder
# Speed 2 and 255 BPM in the module's header (bytes 76 and 78): an order a second or so.
printf '\002\000\377\000' | dd of="$RUN/data/lumivex.xm" bs=1 seek=76 conv=notrunc status=none
export LUMIVEX_PAD_FIFO="$WORK/pad"
mkfifo "$LUMIVEX_PAD_FIFO"
SWAP_COUNTER="$SWAP_COUNTER $VIRTUAL_PAD" # both preloaded
start_show
started=$(date +%s)
wait_window "Lumivex by Tarnel" 30 >/dev/null || fail "no show window"
# The FIFO is opened by the show's first event poll; until then a writer would wait.
pad() { timeout 10 sh -c 'echo "$1" >"$2"' - "$1" "$LUMIVEX_PAD_FIFO" || fail "the show does not read the pad's commands"; }
pad plug
# The sped-up module reaches the gallery in about 8 s, not the real one's 44: looked for
# from 12 s on (the logo stands still in the first seconds too).
wait_gallery $((started - 44 + 12)) 60
echo "the gallery stands after $(($(date +%s) - started)) s"
grep -q virtual_pad "$WORK/show.err" && fail "the virtual pad: $(grep virtual_pad "$WORK/show.err")"

pad "tap x" # set 3: the side walls go dark
sleep 0.5
shot gallery3
pad "tap b"
sleep 0.5
shot gallery2
pad "tap a"
sleep 0.5
shot gallery1again
check_sets "a tapped A" "a tapped B" "a tapped X"

pad "press dpright"
sleep 0.5
shot turning1
sleep 0.5
shot turning2
turned=$(difference $GALLERY_BACK gallery1again turning2)
moving=$(difference $GALLERY_BACK turning1 turning2)
check 'turned > 0.02' turned="$turned" || fail "d-pad Right did not turn the room ($turned)"
pad unplug # with Right still held
sleep 0.5
shot unplugged1
sleep 0.5
shot unplugged2
show_running || fail "the show ended when the pad was pulled out"
# Turned, the back region shows the stars, which turn slowly on their own.
still=$(difference $GALLERY_BACK unplugged1 unplugged2)
echo "d-pad Right turned the back wall by $turned; in half a second: $moving turning, $still pulled out"
check 'still < moving / 3' still="$still" moving="$moving" ||
  fail "the room kept turning after the pad was pulled out ($still in half a second)"

pad plug
sleep 0.5
pad "tap start"
wait_exit 30
code=$?
[ $code -eq 0 ] || fail "exit code $code after Start"
echo "PASS: a pad plugged in mid-run steers the gallery, its loss is harmless, Start ends the show"
