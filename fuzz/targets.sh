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
  dict=$fuzz_root/fuzz/$1.dict
  [[ -f $dict ]] || dict=
  export LSAN_OPTIONS=suppressions=$fuzz_root/tests/lsan.supp
}

# CI's runs of a target (fuzz/check, fuzz/soak) go through a staging folder, so that the process
# is the same on every machine and from every clone: where its allocations land depends on its
# environment, the paths it holds and the fonts fontconfig finds, and through the maps ordered by
# address so do the code paths it runs (the coverage that steers a fixed seed's exploration), and
# with the fonts, the width of every text. The folder has a fixed path, taken by one run at a
# time; the process gets a fixed environment, paths relative to the folder (target, seeds, kept,
# found, examples) and the two faces of fonts-dejavu-core that the forms use as its only fonts.
# fuzz_stage makes it for the prepared target as $stage (found/ is $work/); fuzz_exec
# [VAR=VALUE...] -- ARG... runs the target there with address randomisation off; fuzz_unstage
# removes it.
fuzz_stage() {
  stage=/tmp/kelvane-fuzz-stage
  exec {stage_lock}> /tmp/kelvane-fuzz-stage.lock
  flock "$stage_lock"
  rm -rf "$stage"
  mkdir "$stage"
  ln -s "$fuzz_out/fuzz/$binary" "$stage/target"
  ln -s "$work/seeds" "$stage/seeds"
  ln -s "$fuzz_root/fuzz/$corpus" "$stage/kept"
  ln -s "$work" "$stage/found"
  ln -s "$fuzz_root/resources/examples" "$stage/examples"
  cp "$fuzz_root/tests/lsan.supp" "$stage/lsan.supp"
  staged_options=("${options[@]}")
  if [[ -n $dict ]]; then cp "$dict" "$stage/dict"; staged_options+=(-dict=dict); fi
  mkdir "$stage/fonts" "$stage/fontcache"
  local face
  for face in DejaVuSans.ttf DejaVuSans-Bold.ttf; do
    cp "/usr/share/fonts/truetype/dejavu/$face" "$stage/fonts/"
  done
  cat > "$stage/fonts.conf" <<CONF
<?xml version="1.0"?>
<fontconfig><dir>$stage/fonts</dir><cachedir>$stage/fontcache</cachedir></fontconfig>
CONF
}

fuzz_exec() {
  local vars=()
  while [[ $1 != -- ]]; do vars+=("$1"); shift; done
  shift
  (cd "$stage" && env -i HOME="$stage" FONTCONFIG_FILE="$stage/fonts.conf" LSAN_OPTIONS=suppressions=lsan.supp \
    KELVANE_EXAMPLES=examples "${vars[@]}" "$(command -v setarch)" "$(uname -m)" -R ./target "${staged_options[@]}" "$@")
}

# Does nothing once done: fuzz/check unstages after each target and again from its EXIT trap,
# when another run may hold the folder by then.
fuzz_unstage() {
  [[ -n ${stage:-} ]] || return 0
  rm -rf "$stage"
  stage=
  exec {stage_lock}>&-
}
