// Text form to binary form stream.
#include <charconv>
#include <cmath>
#include <cstring>

#include "shell/core/TypeInfo.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/StreamFormat.h"
#include "shell/stream/detail/Encoding.h"
#include "shell/stream/detail/TextRules.h"

namespace {
using namespace TextRules;

enum class TTok { End, Ident, Number, String, Hex, Binary, Symbol };

// A string literal in pieces: quoted text (UTF-8 as written) and #n codes.
struct TPiece {
  bool Code;
  std::string Text;
  uint32_t Value;
};

struct TToken {
  TTok Kind = TTok::End;
  std::string Text;  // identifier, number, symbol, hex digits, binary bytes
  std::vector<TPiece> Pieces;
  int Line = 1;
};

class TTextToBinary {
 public:
  explicit TTextToBinary(const std::string& Text) : FText(Text) {}

  std::vector<uint8_t> Run() {
    Out.assign(FilerSignature, FilerSignature + 4);
    Next();
    if (FTok.Kind == TTok::End) Fail("'object' expected");
    Object();
    if (FTok.Kind != TTok::End) Fail("End of text expected after the root object");
    return std::move(Out);
  }

 private:
  const std::string& FText;
  size_t FPos = 0;
  int FLine = 1;
  TToken FTok;
  TToken FAhead;
  bool FHasAhead = false;
  int FDepth = 0;
  std::vector<uint8_t> Out;

  [[noreturn]] void Fail(const std::string& What) { FailAt(What, FTok.Line); }
  [[noreturn]] void FailAt(const std::string& What, int Line) {
    throw EParserError(What, Line);
  }

  // --- Lexer ---

  void SkipSpace() {
    while (FPos < FText.size()) {
      char C = FText[FPos];
      if (C == '\n') {
        ++FLine;
        ++FPos;
      } else if (C == ' ' || C == '\t' || C == '\r') {
        ++FPos;
      } else if (C == '/' && FPos + 1 < FText.size() && FText[FPos + 1] == '/') {
        while (FPos < FText.size() && FText[FPos] != '\n') ++FPos;
      } else {
        break;
      }
    }
  }

  static int HexDigit(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
  }

  TToken Lex() {
    SkipSpace();
    TToken T;
    T.Line = FLine;
    if (FPos >= FText.size()) return T;
    char C = FText[FPos];
    if (IsIdentStart(C)) {
      size_t Start = FPos;
      while (FPos < FText.size() && (IsIdentChar(FText[FPos]) ||
                                     (FText[FPos] == '.' && FPos + 1 < FText.size() && IsIdentStart(FText[FPos + 1]))))
        ++FPos;
      T.Kind = TTok::Ident;
      T.Text = FText.substr(Start, FPos - Start);
      return T;
    }
    if ((C >= '0' && C <= '9') || (C == '-' && FPos + 1 < FText.size() && FText[FPos + 1] >= '0' && FText[FPos + 1] <= '9')) {
      size_t Start = FPos++;
      while (FPos < FText.size()) {
        char D = FText[FPos];
        bool Exponent = (D == 'e' || D == 'E');
        bool SignAfterExponent = (D == '+' || D == '-') && (FText[FPos - 1] == 'e' || FText[FPos - 1] == 'E');
        if ((D >= '0' && D <= '9') || D == '.' || Exponent || SignAfterExponent) ++FPos;
        else break;
      }
      T.Kind = TTok::Number;
      T.Text = FText.substr(Start, FPos - Start);
      return T;
    }
    if (C == '$') {
      size_t Start = ++FPos;
      while (FPos < FText.size() && HexDigit(FText[FPos]) >= 0) ++FPos;
      if (FPos == Start) FailAt("Hexadecimal digits expected after '$'", T.Line);
      T.Kind = TTok::Hex;
      T.Text = FText.substr(Start, FPos - Start);
      return T;
    }
    if (C == '\'' || C == '#') {
      T.Kind = TTok::String;
      LexString(T);
      return T;
    }
    if (C == '{') {
      ++FPos;
      T.Kind = TTok::Binary;
      int High = -1;
      for (;;) {
        if (FPos >= FText.size()) FailAt("Unterminated binary value", T.Line);
        char D = FText[FPos++];
        if (D == '}') break;
        if (D == '\n') ++FLine;
        if (D == ' ' || D == '\t' || D == '\r' || D == '\n') continue;
        int V = HexDigit(D);
        if (V < 0) FailAt("Hexadecimal digit expected in binary value", FLine);
        if (High < 0) {
          High = V;
        } else {
          T.Text += static_cast<char>(High * 16 + V);
          High = -1;
        }
      }
      if (High >= 0) FailAt("Odd number of hexadecimal digits in binary value", T.Line);
      return T;
    }
    if (std::string("=:[](),<>!+").find(C) != std::string::npos) {
      ++FPos;
      T.Kind = TTok::Symbol;
      T.Text = std::string(1, C);
      return T;
    }
    FailAt(Format("Unexpected character '%s'", {std::string(1, C)}), T.Line);
  }

  void LexString(TToken& T) {
    for (;;) {
      if (FPos < FText.size() && FText[FPos] == '\'') {
        ++FPos;
        std::string S;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n') FailAt("Unterminated string", T.Line);
          char C = FText[FPos++];
          if (C == '\'') {
            if (FPos < FText.size() && FText[FPos] == '\'') {
              S += '\'';
              ++FPos;
              continue;
            }
            break;
          }
          S += C;
        }
        T.Pieces.push_back(TPiece{false, S, 0});
      } else if (FPos < FText.size() && FText[FPos] == '#') {
        size_t Start = ++FPos;
        uint64_t V = 0;
        while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9' && V <= 0xFFFFFFFF)
          V = V * 10 + static_cast<uint64_t>(FText[FPos++] - '0');
        if (FPos == Start) FailAt("Character code expected after '#'", T.Line);
        if (V > 0xFFFF) FailAt("Character code out of range", T.Line);
        T.Pieces.push_back(TPiece{true, "", static_cast<uint32_t>(V)});
      } else {
        return;
      }
    }
  }

  void Next() {
    if (FHasAhead) {
      FTok = std::move(FAhead);
      FHasAhead = false;
    } else {
      FTok = Lex();
    }
  }
  const TToken& Ahead() {
    if (!FHasAhead) {
      FAhead = Lex();
      FHasAhead = true;
    }
    return FAhead;
  }

  bool IsSymbol(const TToken& T, char C) const { return T.Kind == TTok::Symbol && T.Text[0] == C; }
  bool IsWord(const TToken& T, const char* W) const { return T.Kind == TTok::Ident && SameText(T.Text, W); }
  void Expect(char C) {
    if (!IsSymbol(FTok, C)) Fail(Format("'%s' expected", {std::string(1, C)}));
    Next();
  }

  // --- Emitting ---

  void Byte(uint8_t B) { Out.push_back(B); }
  void LE(uint64_t V, int Size) {
    for (int I = 0; I < Size; ++I) Out.push_back(static_cast<uint8_t>(V >> (8 * I)));
  }
  void ShortStr(const std::string& S) {
    if (S.size() > 255) Fail("Name longer than 255 bytes");
    Byte(static_cast<uint8_t>(S.size()));
    Out.insert(Out.end(), S.begin(), S.end());
  }
  void LongBytes(const std::string& S) {
    if (S.size() > UINT32_MAX) Fail("Value too long");
    LE(S.size(), 4);
    Out.insert(Out.end(), S.begin(), S.end());
  }

  void Enter() {
    if (++FDepth > MaxStreamNesting) Fail("Nesting too deep");
  }

  // --- Strings ---

  std::vector<TPiece> StringPieces() {
    if (FTok.Kind != TTok::String) Fail("String expected");
    std::vector<TPiece> P = FTok.Pieces;
    Next();
    while (IsSymbol(FTok, '+')) {
      Next();
      if (FTok.Kind != TTok::String) Fail("String expected after '+'");
      P.insert(P.end(), FTok.Pieces.begin(), FTok.Pieces.end());
      Next();
    }
    return P;
  }

  std::string BytesOf(const std::vector<TPiece>& P, int Line) {
    std::string S;
    for (const TPiece& X : P) {
      if (!X.Code) {
        S += X.Text;
      } else {
        if (X.Value > 255) FailAt("Character code above 255 in a byte string", Line);
        S += static_cast<char>(X.Value);
      }
    }
    return S;
  }

  std::u16string UnitsOf(const std::vector<TPiece>& P) {
    std::u16string W;
    for (const TPiece& X : P) {
      if (X.Code) W += static_cast<char16_t>(X.Value);
      else W += StreamEncoding::Utf8ToUtf16(X.Text);
    }
    return W;
  }

  std::string NameToken(bool AllowDots, const char* What) {
    std::string S;
    if (FTok.Kind == TTok::Ident) {
      if (!AllowDots && FTok.Text.find('.') != std::string::npos) Fail(Format("%s expected", {What}));
      S = FTok.Text;
      Next();
    } else if (FTok.Kind == TTok::String) {
      int Line = FTok.Line;
      S = BytesOf(StringPieces(), Line);
    } else {
      Fail(Format("%s expected", {What}));
    }
    return S;
  }

  // --- Numbers ---

  int64_t IntegerToken() {
    if (FTok.Kind != TTok::Number || FTok.Text.find_first_of(".eE") != std::string::npos) Fail("Integer expected");
    int64_t V = 0;
    auto R = std::from_chars(FTok.Text.data(), FTok.Text.data() + FTok.Text.size(), V);
    if (R.ec != std::errc() || R.ptr != FTok.Text.data() + FTok.Text.size())
      Fail(Format("Invalid integer %s", {FTok.Text}));
    Next();
    return V;
  }

  template <typename F>
  F FloatToken() {
    if (FTok.Kind != TTok::Number) Fail("Number expected");
    F V{};
    auto R = std::from_chars(FTok.Text.data(), FTok.Text.data() + FTok.Text.size(), V);
    if (R.ec != std::errc() || R.ptr != FTok.Text.data() + FTok.Text.size())
      Fail(Format("Invalid number %s", {FTok.Text}));
    Next();
    return V;
  }

  uint64_t HexToken(int MaxDigits) {
    if (FTok.Kind != TTok::Hex || FTok.Text.size() != static_cast<size_t>(MaxDigits))
      Fail(Format("%s hexadecimal digits expected", {std::to_string(MaxDigits)}));
    uint64_t V = 0;
    for (char C : FTok.Text) V = V * 16 + static_cast<uint64_t>(HexDigit(C));
    Next();
    return V;
  }

  // An integer with its tag: plain (smallest tag) or int8(...) to int64(...).
  void TaggedInteger(bool Allow64) {
    int Line = FTok.Line;
    TValueType Tag;
    int64_t V;
    if (FTok.Kind == TTok::Ident) {
      std::string Kind = FTok.Text;
      if (SameText(Kind, "int8")) Tag = vaInt8;
      else if (SameText(Kind, "int16")) Tag = vaInt16;
      else if (SameText(Kind, "int32")) Tag = vaInt32;
      else if (SameText(Kind, "int64") && Allow64) Tag = vaInt64;
      else Fail("Integer expected");
      Next();
      Expect('(');
      V = IntegerToken();
      Expect(')');
      if (IntTagSize(SmallestIntTag(V)) > IntTagSize(Tag))
        FailAt(Format("%s out of range for %s", {std::to_string(V), Kind}), Line);
    } else {
      V = IntegerToken();
      Tag = SmallestIntTag(V);
      if (Tag == vaInt64 && !Allow64) Fail("Integer out of range");
    }
    Byte(Tag);
    LE(static_cast<uint64_t>(V), IntTagSize(Tag));
  }

  void Currency() {
    if (FTok.Kind != TTok::Number || FTok.Text.find_first_of("eE") != std::string::npos) Fail("Number expected");
    std::string T = FTok.Text;
    bool Negative = !T.empty() && T[0] == '-';
    if (Negative) T.erase(0, 1);
    size_t Dot = T.find('.');
    std::string Whole = T.substr(0, Dot);
    std::string Frac = Dot == std::string::npos ? "" : T.substr(Dot + 1);
    if (Whole.empty() || Frac.size() > 4 || Frac.find('.') != std::string::npos) Fail(Format("Invalid currency %s", {FTok.Text}));
    Frac.append(4 - Frac.size(), '0');
    unsigned __int128 Ticks = 0;
    for (char C : Whole + Frac) {
      Ticks = Ticks * 10 + static_cast<unsigned>(C - '0');
      if (Ticks > static_cast<unsigned __int128>(INT64_MAX) + 1) Fail(Format("Invalid currency %s", {FTok.Text}));
    }
    if (!Negative && Ticks > INT64_MAX) Fail(Format("Invalid currency %s", {FTok.Text}));
    uint64_t Bits = static_cast<uint64_t>(Ticks);
    if (Negative) Bits = 0 - Bits;
    Next();
    Byte(vaCurrency);
    LE(Bits, 8);
  }

  template <typename F, typename U>
  void TypedFloat(TValueType Tag) {
    U Bits;
    if (FTok.Kind == TTok::Hex) {
      Bits = static_cast<U>(HexToken(static_cast<int>(2 * sizeof(U))));
    } else {
      F V = FloatToken<F>();
      std::memcpy(&Bits, &V, sizeof Bits);
    }
    Byte(Tag);
    LE(Bits, sizeof(U));
  }

  void Extended() {
    uint8_t B[10] = {};
    if (FTok.Kind == TTok::Hex) {
      if (FTok.Text.size() != 20) Fail("20 hexadecimal digits expected");
      for (int I = 0; I < 10; ++I)
        B[9 - I] = static_cast<uint8_t>(HexDigit(FTok.Text[2 * I]) * 16 + HexDigit(FTok.Text[2 * I + 1]));
      Next();
    } else {
      ExtendedToBytes(FloatToken<long double>(), B);
    }
    Byte(vaExtended);
    Out.insert(Out.end(), B, B + 10);
  }

  // --- Values ---

  void PlainString(const std::vector<TPiece>& P, int Line) {
    std::string S = BytesOf(P, Line);
    if (!StreamEncoding::IsAscii(S)) {
      Byte(vaUTF8String);
      LongBytes(S);
    } else if (S.size() <= 255) {
      Byte(vaString);
      ShortStr(S);
    } else {
      Byte(vaLString);
      LongBytes(S);
    }
  }

  bool TypedValue(const std::string& Kind) {
    auto Is = [&](const char* W) { return SameText(Kind, W); };
    int Line = FTok.Line;
    if (Is("int8") || Is("int16") || Is("int32") || Is("int64")) {
      TaggedInteger(true);
      return true;
    }
    static const char* Kinds[] = {"extended", "single", "double", "date", "currency", "ansi",
                                  "lstring",  "utf8",   "wide",   "ident"};
    bool Known = false;
    for (const char* K : Kinds) Known = Known || Is(K);
    if (!Known) return false;
    Next();
    Expect('(');
    if (Is("extended")) Extended();
    else if (Is("single")) TypedFloat<float, uint32_t>(vaSingle);
    else if (Is("double")) TypedFloat<double, uint64_t>(vaDouble);
    else if (Is("date")) TypedFloat<double, uint64_t>(vaDate);
    else if (Is("currency")) Currency();
    else if (Is("ansi")) {
      std::string S = BytesOf(StringPieces(), Line);
      if (S.size() > 255) FailAt("ansi string longer than 255 bytes", Line);
      Byte(vaString);
      ShortStr(S);
    } else if (Is("lstring")) {
      Byte(vaLString);
      LongBytes(BytesOf(StringPieces(), Line));
    } else if (Is("utf8")) {
      Byte(vaUTF8String);
      LongBytes(BytesOf(StringPieces(), Line));
    } else if (Is("wide")) {
      std::u16string W = UnitsOf(StringPieces());
      Byte(vaWString);
      LE(W.size(), 4);
      for (char16_t C : W) LE(C, 2);
    } else {
      std::string S = BytesOf(StringPieces(), Line);
      Byte(vaIdent);
      ShortStr(S);
    }
    Expect(')');
    return true;
  }

  void Value() {
    size_t TagAt = Out.size();
    bool High = false;
    if (IsSymbol(FTok, '!')) {
      High = true;
      Next();
    }
    int Line = FTok.Line;
    switch (FTok.Kind) {
      case TTok::Number:
        if (FTok.Text.find_first_of(".eE") != std::string::npos) Extended();
        else TaggedInteger(true);
        break;
      case TTok::String:
        PlainString(StringPieces(), Line);
        break;
      case TTok::Binary:
        Byte(vaBinary);
        LongBytes(FTok.Text);
        Next();
        break;
      case TTok::Ident: {
        std::string Word = FTok.Text;
        if (IsSymbol(Ahead(), '(') && TypedValue(Word)) break;
        if (SameText(Word, "True")) Byte(vaTrue);
        else if (SameText(Word, "False")) Byte(vaFalse);
        else if (SameText(Word, "nil")) Byte(vaNil);
        else if (SameText(Word, "Null")) Byte(vaNull);
        else {
          Byte(vaIdent);
          ShortStr(Word);
        }
        Next();
        break;
      }
      case TTok::Symbol:
        if (IsSymbol(FTok, '(')) {
          Enter();
          Next();
          Byte(vaList);
          while (!IsSymbol(FTok, ')')) {
            if (FTok.Kind == TTok::End) Fail("')' expected");
            // Its tag is the one that ends a list: the binary form cannot hold it inside one.
            if (FTok.Kind == TTok::Ident && SameText(FTok.Text, "Null")) Fail("Null cannot be a list's item");
            Value();
          }
          Next();
          Byte(vaNull);
          --FDepth;
        } else if (IsSymbol(FTok, '[')) {
          Next();
          Byte(vaSet);
          while (!IsSymbol(FTok, ']')) {
            std::string E = NameToken(false, "Set element");
            if (E.empty()) Fail("Empty set element");
            ShortStr(E);
            if (IsSymbol(FTok, ',')) {
              Next();
              if (IsSymbol(FTok, ']')) Fail("Set element expected");
            } else if (!IsSymbol(FTok, ']')) {
              Fail("',' or ']' expected");
            }
          }
          Next();
          Byte(0);
        } else if (IsSymbol(FTok, '<')) {
          Collection();
        } else {
          Fail("Value expected");
        }
        break;
      case TTok::Hex:
      case TTok::End:
        Fail("Value expected");
    }
    if (High) Out[TagAt] |= 0x80;
  }

  void Collection() {
    Enter();
    Next();
    Byte(vaCollection);
    while (!IsSymbol(FTok, '>')) {
      if (!IsWord(FTok, "item")) Fail("'item' or '>' expected");
      Next();
      if (IsSymbol(FTok, '[')) {
        Next();
        TaggedInteger(false);
        Expect(']');
      }
      Byte(vaList);
      while (!(IsWord(FTok, "end") && !IsSymbol(Ahead(), '='))) {
        if (FTok.Kind == TTok::End) Fail("'end' expected");
        Property();
      }
      Next();
      Byte(vaNull);
    }
    Next();
    Byte(vaNull);
    --FDepth;
  }

  void Property() {
    std::string Name = NameToken(true, "Property name");
    Expect('=');
    ShortStr(Name);
    Value();
  }

  bool AtObject() {
    return (IsWord(FTok, "object") || IsWord(FTok, "inherited") || IsWord(FTok, "inline")) &&
           !IsSymbol(Ahead(), '=');
  }

  void Object() {
    Enter();
    if (!AtObject()) Fail("'object' expected");
    int Line = FTok.Line;
    TFilerFlags Flags;
    if (IsWord(FTok, "inherited")) Flags.Include(ffInherited);
    else if (IsWord(FTok, "inline")) Flags.Include(ffInline);
    Next();
    int Prefix = -1;
    if (IsWord(FTok, "prefix") && IsSymbol(Ahead(), '(')) {
      Next();
      Next();
      Prefix = static_cast<int>(HexToken(2));
      if ((Prefix & FilerPrefixMask) != FilerPrefixMask) Fail("Prefix byte must be $F0 or more");
      Expect(')');
    }
    std::string First = NameToken(false, "Class name");
    std::string Name, Class = First;
    if (IsSymbol(FTok, ':')) {
      Next();
      Name = First;
      Class = NameToken(false, "Class name");
    }
    std::vector<uint8_t> Header;
    std::swap(Header, Out);
    bool HasIndex = false;
    if (IsSymbol(FTok, '[')) {
      Next();
      TaggedInteger(false);
      Expect(']');
      HasIndex = true;
    }
    std::vector<uint8_t> Index;
    std::swap(Index, Out);
    std::swap(Header, Out);
    if (HasIndex) Flags.Include(ffChildPos);
    if (Prefix < 0 && !Flags.Empty()) Prefix = FilerPrefixByte(Flags);
    if (Prefix >= 0 && FilerFlagsOf(static_cast<uint8_t>(Prefix)).Contains(ffChildPos) != HasIndex)
      FailAt("Child position does not match the prefix", Line);
    // Without a prefix the header starts with the class name's length byte, and the reader takes a
    // byte of $F0 or more there for a prefix: such a class name could not be read back.
    if (Prefix < 0 && Class.size() >= FilerPrefixMask) FailAt("Class name longer than 239 bytes", Line);
    if (Prefix >= 0) Byte(static_cast<uint8_t>(Prefix));
    Out.insert(Out.end(), Index.begin(), Index.end());
    ShortStr(Class);
    ShortStr(Name);

    while (!AtObject() && !(IsWord(FTok, "end") && !IsSymbol(Ahead(), '='))) {
      if (FTok.Kind == TTok::End) Fail("'end' expected");
      Property();
    }
    Byte(vaNull);
    while (AtObject()) Object();
    if (!IsWord(FTok, "end")) {
      if (FTok.Kind == TTok::End) Fail("'end' expected");
      Fail("Properties must come before child objects");
    }
    Next();
    Byte(vaNull);
    --FDepth;
  }
};}  // namespace

std::vector<uint8_t> ObjectTextToBinary(const std::string& Text) { return TTextToBinary(Text).Run(); }
