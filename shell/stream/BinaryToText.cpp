// Binary form stream to its text form.
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

bool IsKeywordValue(const std::string& S) {
  return SameText(S, "True") || SameText(S, "False") || SameText(S, "nil") || SameText(S, "Null");
}

// Whether S can stand without quotes: an identifier, or with AllowDots identifiers joined by
// single dots, as the lexer reads them.
bool IsBareName(const std::string& S, bool AllowDots) {
  size_t Start = 0;
  for (;;) {
    size_t End = AllowDots ? S.find('.', Start) : std::string::npos;
    std::string Part = S.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
    if (Part.empty() || !IsIdentStart(Part[0])) return false;
    for (char C : Part)
      if (!IsIdentChar(C)) return false;
    if (End == std::string::npos) return true;
    Start = End + 1;
  }
}

const char* IntTagName(TValueType T) {
  return T == vaInt8 ? "int8" : T == vaInt16 ? "int16" : T == vaInt32 ? "int32" : "int64";
}

class TBinaryToText {
 public:
  explicit TBinaryToText(const std::vector<uint8_t>& In) : FIn(In) {}

  std::string Run() {
    if (FIn.size() < 4 || std::memcmp(FIn.data(), FilerSignature, 4) != 0) throw EReadError("Invalid stream format");
    FPos = 4;
    Object(0);
    return FOut;
  }

 private:
  const std::vector<uint8_t>& FIn;
  size_t FPos = 0;
  std::string FOut;
  int FDepth = 0;

  uint8_t Peek() {
    if (FPos >= FIn.size()) throw EReadError("Stream read error");
    return FIn[FPos];
  }
  uint8_t Byte() {
    uint8_t B = Peek();
    ++FPos;
    return B;
  }
  std::string Bytes(uint64_t N) {
    if (N > FIn.size() - FPos) throw EReadError("Stream read error");
    std::string S(reinterpret_cast<const char*>(FIn.data() + FPos), static_cast<size_t>(N));
    FPos += static_cast<size_t>(N);
    return S;
  }
  uint64_t LE(int Size) {
    std::string B = Bytes(static_cast<uint64_t>(Size));
    return LittleEndianValue(reinterpret_cast<const uint8_t*>(B.data()), Size);
  }
  int64_t SignedLE(int Size) {
    uint64_t V = LE(Size);
    if (Size < 8 && (V >> (8 * Size - 1)) & 1) V |= ~uint64_t{0} << (8 * Size);
    return static_cast<int64_t>(V);
  }
  std::string Str() { return Bytes(Byte()); }

  void Enter() {
    if (++FDepth > MaxStreamNesting) throw EReadError("Invalid stream format");
  }
  void Leave() { --FDepth; }

  static std::string Indent(int N) { return std::string(static_cast<size_t>(N) * 2, ' '); }
  // A line break, then the indent of a line at depth N.
  static std::string NewLine(int N) { return '\n' + Indent(N); }

  // Quoted text of a byte string: printable ASCII and whole UTF-8 sequences inside quotes,
  // every other byte as #n.
  static std::string ByteLiteral(const std::string& S) {
    std::string Out;
    bool Open = false;
    auto Quote = [&](bool Want) {
      if (Want != Open) {
        Out += '\'';
        Open = Want;
      }
    };
    for (size_t I = 0; I < S.size();) {
      auto B = static_cast<unsigned char>(S[I]);
      size_t Seq = B >= 0x80 ? StreamEncoding::Utf8SequenceLength(S, I) : 0;
      if (B >= 0x20 && B < 0x7F) {
        Quote(true);
        Out += S[I];
        if (B == '\'') Out += '\'';
        ++I;
      } else if (Seq) {
        Quote(true);
        Out.append(S, I, Seq);
        I += Seq;
      } else {
        Quote(false);
        Out += '#' + std::to_string(B);
        ++I;
      }
    }
    if (Out.empty()) return "''";
    Quote(false);
    return Out;
  }

  static std::string WideLiteral(const std::u16string& W) {
    std::string Out;
    bool Open = false;
    auto Quote = [&](bool Want) {
      if (Want != Open) {
        Out += '\'';
        Open = Want;
      }
    };
    for (size_t I = 0; I < W.size(); ++I) {
      char32_t C = W[I];
      bool High = C >= 0xD800 && C < 0xDC00;
      bool Pair = High && I + 1 < W.size() && W[I + 1] >= 0xDC00 && W[I + 1] < 0xE000;
      if ((C >= 0x20 && C < 0x7F) || (C >= 0xA0 && !(C >= 0xD800 && C < 0xE000)) || Pair) {
        if (Pair) C = 0x10000 + ((C - 0xD800) << 10) + (W[++I] - 0xDC00);
        Quote(true);
        StreamEncoding::AppendUtf8(Out, C);
        if (C == '\'') Out += '\'';
      } else {
        Quote(false);
        Out += '#' + std::to_string(static_cast<unsigned>(C));
      }
    }
    if (Out.empty()) return "''";
    Quote(false);
    return Out;
  }

  static std::string Name(const std::string& S, bool AllowDots) {
    return IsBareName(S, AllowDots) ? S : ByteLiteral(S);
  }

  static std::string Hex(uint64_t V, int Digits) {
    static const char* D = "0123456789ABCDEF";
    std::string S(static_cast<size_t>(Digits), '0');
    for (int I = Digits - 1; I >= 0; --I, V >>= 4) S[static_cast<size_t>(I)] = D[V & 15];
    return S;
  }

  template <typename F>
  static bool ShortestText(F Value, std::string& Text) {
    char Buf[64];
    auto R = std::to_chars(Buf, Buf + sizeof Buf, Value);
    if (R.ec != std::errc()) return false;
    Text.assign(Buf, R.ptr);
    F Back{};
    auto P = std::from_chars(Text.data(), Text.data() + Text.size(), Back);
    if (P.ec != std::errc() || P.ptr != Text.data() + Text.size()) return false;
    return std::memcmp(&Back, &Value, sizeof(F) == sizeof(long double) ? 10 : sizeof(F)) == 0 && std::isfinite(Value);
  }

  static std::string ExtendedText(const std::string& Raw) {
    long double V = ExtendedFromBytes(reinterpret_cast<const uint8_t*>(Raw.data()));
    auto Exponent = static_cast<unsigned>(static_cast<uint8_t>(Raw[8]) | ((static_cast<uint8_t>(Raw[9]) & 0x7F) << 8));
    bool IntegerBit = (static_cast<uint8_t>(Raw[7]) & 0x80) != 0;
    // Unnormals and pseudo-denormals have no decimal spelling of their own: they keep their bits.
    bool Canonical = Exponent == 0 ? !IntegerBit : IntegerBit;
    std::string T;
    if (Canonical && std::isfinite(V) && ShortestText(V, T)) {
      if (T.find_first_of(".e") == std::string::npos) T += ".0";
      return T;
    }
    const auto* Bytes = reinterpret_cast<const uint8_t*>(Raw.data());
    const uint64_t Mantissa = LittleEndianValue(Bytes, 8), Top = LittleEndianValue(Bytes + 8, 2);
    return std::string("extended($") + Hex(Top, 4) + Hex(Mantissa, 16) + ")";
  }

  template <typename F, typename U>
  std::string TypedFloat(const char* Kind, U Bits) {
    F V;
    std::memcpy(&V, &Bits, sizeof V);
    std::string T;
    if (!ShortestText(V, T)) T = std::string("$") + Hex(Bits, static_cast<int>(2 * sizeof(U)));
    return std::string(Kind) + "(" + T + ")";
  }

  static std::string CurrencyText(int64_t Ticks) {
    uint64_t Abs = Ticks < 0 ? 0 - static_cast<uint64_t>(Ticks) : static_cast<uint64_t>(Ticks);
    std::string Frac = std::to_string(Abs % 10000);
    Frac.insert(0, 4 - Frac.size(), '0');
    return std::string("currency(") + (Ticks < 0 ? "-" : "") + std::to_string(Abs / 10000) + "." + Frac + ")";
  }

  std::string IntText(TValueType T) {
    int64_t V = SignedLE(IntTagSize(T));
    if (SmallestIntTag(V) == T) return std::to_string(V);
    return std::string(IntTagName(T)) + "(" + std::to_string(V) + ")";
  }

  std::string Value(int Level) {
    uint8_t Raw = Byte();
    std::string Mark = Raw & 0x80 ? "!" : "";
    auto T = static_cast<TValueType>(Raw & 0x7F);
    switch (T) {
      case vaNull: return Mark + "Null";
      case vaFalse: return Mark + "False";
      case vaTrue: return Mark + "True";
      case vaNil: return Mark + "nil";
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        return Mark + IntText(T);
      case vaExtended: return Mark + ExtendedText(Bytes(10));
      case vaSingle: return Mark + TypedFloat<float>("single", static_cast<uint32_t>(LE(4)));
      case vaDouble: return Mark + TypedFloat<double>("double", LE(8));
      case vaDate: return Mark + TypedFloat<double>("date", LE(8));
      case vaCurrency: return Mark + CurrencyText(SignedLE(8));
      case vaString: {
        std::string S = Str();
        return Mark + (StreamEncoding::IsAscii(S) ? ByteLiteral(S) : std::string("ansi(") + ByteLiteral(S) + ")");
      }
      case vaLString: {
        std::string S = Bytes(LE(4));
        return Mark + (StreamEncoding::IsAscii(S) && S.size() > 255 ? ByteLiteral(S) : std::string("lstring(") + ByteLiteral(S) + ")");
      }
      case vaUTF8String: {
        std::string S = Bytes(LE(4));
        return Mark + (!StreamEncoding::IsAscii(S) ? ByteLiteral(S) : std::string("utf8(") + ByteLiteral(S) + ")");
      }
      case vaWString: {
        std::u16string W = StreamEncoding::Utf16FromLittleEndian(Bytes(2 * LE(4)));
        return Mark + std::string("wide(") + WideLiteral(W) + ")";
      }
      case vaIdent: {
        std::string S = Str();
        return Mark + (IsBareName(S, true) && !IsKeywordValue(S) ? S : std::string("ident(") + ByteLiteral(S) + ")");
      }
      case vaBinary: {
        std::string B = Bytes(LE(4));
        if (B.empty()) return Mark + "{}";
        std::string Out = Mark + "{";
        for (size_t I = 0; I < B.size(); ++I) {
          if (I % 32 == 0) Out += NewLine(Level + 1);
          Out += Hex(static_cast<uint8_t>(B[I]), 2);
        }
        return Out + "}";
      }
      case vaSet: {
        std::string Out = Mark + "[";
        for (bool First = true;; First = false) {
          std::string E = Str();
          if (E.empty()) break;
          if (!First) Out += ", ";
          Out += Name(E, false);
        }
        return Out + "]";
      }
      case vaList: {
        Enter();
        std::string Out = Mark + "(";
        while (Peek() != vaNull) {
          Out += NewLine(Level + 1);
          Out += Value(Level + 1);
        }
        Byte();
        Leave();
        return Out + ")";
      }
      case vaCollection: {
        Enter();
        std::string Out = Mark + "<";
        while (Peek() != vaNull) {
          Out += NewLine(Level + 1);
          Out += "item";
          auto Next = static_cast<TValueType>(Peek());
          if (Next == vaInt8 || Next == vaInt16 || Next == vaInt32) {
            Byte();
            Out += std::string(" [") + IntText(Next) + "]";
          }
          if (Byte() != vaList) throw EReadError("Invalid property value");
          while (Peek() != vaNull) {
            Out += '\n';
            Out += Property(Level + 2);
          }
          Byte();
          Out += NewLine(Level + 1);
          Out += "end";
        }
        Byte();
        Leave();
        return Out + ">";
      }
      default:
        throw EReadError("Invalid property value");
    }
  }

  std::string Property(int Level) {
    std::string Name = Str();
    return Indent(Level) + TBinaryToText::Name(Name, true) + " = " + Value(Level);
  }

  void Object(int Level) {
    Enter();
    int Prefix = -1;
    std::string Index;
    if ((Peek() & FilerPrefixMask) == FilerPrefixMask) {
      Prefix = Byte();
      if (FilerFlagsOf(static_cast<uint8_t>(Prefix)).Contains(ffChildPos)) {
        auto T = static_cast<TValueType>(Byte());
        if (T != vaInt8 && T != vaInt16 && T != vaInt32) throw EReadError("Invalid property value");
        Index = IntText(T);
      }
    }
    std::string Class = Str();
    std::string Name = Str();
    // The keyword and the child position imply a prefix; any other is written out.
    const TFilerFlags Flags = Prefix < 0 ? TFilerFlags{} : FilerFlagsOf(static_cast<uint8_t>(Prefix));
    TFilerFlags Implied;
    if (Flags.Contains(ffInherited)) Implied.Include(ffInherited);
    else if (Flags.Contains(ffInline)) Implied.Include(ffInline);
    if (!Index.empty()) Implied.Include(ffChildPos);
    const char* Keyword = Implied.Contains(ffInherited) ? "inherited" : Implied.Contains(ffInline) ? "inline" : "object";
    const int ImpliedPrefix = Implied.Empty() ? -1 : FilerPrefixByte(Implied);
    std::string Line = Indent(Level) + Keyword;
    if (Prefix != ImpliedPrefix) Line += std::string(" prefix($") + Hex(static_cast<uint64_t>(Prefix), 2) + ")";
    Line += " ";
    if (!Name.empty()) Line += TBinaryToText::Name(Name, false) + ": ";
    Line += TBinaryToText::Name(Class, false);
    if (!Index.empty()) Line += std::string(" [") + Index + "]";
    FOut += Line + "\n";
    while (Peek() != vaNull) FOut += Property(Level + 1) + "\n";
    Byte();
    while (Peek() != vaNull) Object(Level + 1);
    Byte();
    FOut += Indent(Level) + "end\n";
    Leave();
  }
};}  // namespace

std::string ObjectBinaryToText(const std::vector<uint8_t>& Binary) { return TBinaryToText(Binary).Run(); }
