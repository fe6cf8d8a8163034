# Sourced by fuzz/run and fuzz/check: the fuzz targets, their kept inputs and their seeds.
#   stream   binary form streams onto the tests' classes: the text forms of resources/ and
#            fuzz/seeds/ compiled; kept inputs in fuzz/corpus
#   styles   style files: the built-in styles as the build packs them; fuzz/corpus-styles
#   forms    stored forms onto the game's form with every class of the game and the framework:
#            the game's form and fuzz/seeds-forms/ compiled; fuzz/corpus-forms
#   text     the text form's parser: every text form of resources/ and fuzz/; fuzz/corpus-text
#   input    input events onto the game's form and the example forms, checked after each event
#            against the rules that hold whatever the player does (fuzz/InputFuzz.cpp); its
#            kept inputs in fuzz/corpus-input are its seeds
# Every run fails on any crash, leak, sanitizer report, broken round trip, or allocation beyond
# the memory limits: no single allocation above 192 MB (the largest a stored form may cause is
# a 128 MB bitmap) and 1.5 GB resident in all.
fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_out=${KELVANE_FUZZ_BUILD:-$fuzz_root/build-fuzz}
# CI's targets.
fuzz_targets=(stream styles forms text input)

# Sets binary, corpus, max_len and runs (the fixed number of inputs CI explores, about half a
# minute each on the development machine; input's 600 take about a minute, each input being a
# form made, driven and freed) for TARGET; fails on an unknown one.
fuzz_target() {
  case $1 in
    stream) binary=stream_reader_fuzz corpus=corpus max_len=8192 runs=60000 ;;
    styles) binary=style_reader_fuzz corpus=corpus-styles max_len=65536 runs=6000 ;;
    forms)  binary=form_fuzz corpus=corpus-forms max_len=16384 runs=8000 ;;
    text)   binary=text_form_fuzz corpus=corpus-text max_len=16384 runs=150000 ;;
    input)  binary=input_fuzz corpus=corpus-input max_len=4096 runs=600 ;;
    *) return 1 ;;
  esac
}

# Builds TARGET's fuzzer and the tools that make its seeds, and fills build-fuzz/TARGET/seeds.
fuzz_prepare() {
  fuzz_target "$1"
  KELVANE_FUZZ_BUILD=$fuzz_out "$fuzz_root/fuzz/build" "$binary" kelvane-rc kelvane_resources
  work=$fuzz_out/$1
  rm -rf "$work/seeds"
  mkdir -p "$work/seeds" "$fuzz_root/fuzz/$corpus"
  local text
  compile() {  # text forms to binary seeds
    for text in "$@"; do
      ASAN_OPTIONS=detect_leaks=0 "$fuzz_out/tools/kelvane-rc" compile "$text" "$work/seeds/$(basename "$text" .txt).bin"
    done
  }
  (
    cd "$fuzz_root"
    case $1 in
      stream) compile resources/*.txt fuzz/seeds/*.txt ;;
      styles) cp "$fuzz_out"/kelvane_styles/*.style "$work/seeds/" ;;
      forms)  cp "$fuzz_out/kelvane_resources/Form1.bin" "$work/seeds/"
              compile fuzz/seeds-forms/*.txt ;;
      text)   cp resources/*.txt resources/styles/*.txt fuzz/seeds/*.txt fuzz/seeds-forms/*.txt "$work/seeds/" ;;
      input)  ;;
    esac
  )
  options=(-max_len="$max_len" -timeout=60 -rss_limit_mb=1536 -malloc_limit_mb=192)
  [[ -f $fuzz_root/fuzz/$1.dict ]] && options+=(-dict="$fuzz_root/fuzz/$1.dict")
  export LSAN_OPTIONS=suppressions=$fuzz_root/tests/lsan.supp
}
