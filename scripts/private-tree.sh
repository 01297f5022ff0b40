# Sourced by soak and budgets: a private copy of wavix and its data tree in
# $work, pointed at its own simulator address and port, with its own
# single-instance lock, so other copies of the program on this machine are
# neither disturbed nor disturbing. Sets addr, port; needs build and work.
make_private_tree() {
  mkdir -p "$work/bin" "$work/run"
  chmod 700 "$work/run"
  cp "$build/bin/wavix" "$work/bin/"
  rm -rf "$work/Data"
  cp -r "$build/Data" "$work/Data"
  addr=127.0.0.$((100 + $$ % 100))
  port=$((20000 + $$ % 10000))
  sed -i "s/^ReaderAddres=.*/ReaderAddres=$addr/; s/^ReaderPort=.*/ReaderPort=$port/" \
    "$work/Data/Settings/General.ini"
}

# wavix from the private tree, offscreen, with trace lines on stderr. It
# replaces the calling shell: run it with & (then $! is the program) or in ( ).
private_wavix() {
  XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen WAVIX_TRACE=1 exec "$work/bin/wavix" "$@"
}
