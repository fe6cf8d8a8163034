#pragma once
// Builds binary form streams byte by byte, so that tests can state exactly what a stream
// holds, including the malformed streams that no writer makes.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "shell/stream/StreamFormat.h"

class TStreamBuilder {
 public:
  std::vector<uint8_t> Bytes;

  TStreamBuilder& Raw(std::initializer_list<uint8_t> B) {
    for (uint8_t X : B) Bytes.push_back(X);
    return *this;
  }
  TStreamBuilder& Byte(uint8_t B) {
    Bytes.push_back(B);
    return *this;
  }
  TStreamBuilder& LE(uint64_t V, int Size) {
    for (int I = 0; I < Size; ++I) Bytes.push_back(static_cast<uint8_t>(V >> (8 * I)));
    return *this;
  }
  TStreamBuilder& Str(const std::string& S) {
    Bytes.push_back(static_cast<uint8_t>(S.size()));
    Bytes.insert(Bytes.end(), S.begin(), S.end());
    return *this;
  }
  TStreamBuilder& Sig() { return Raw({'T', 'P', 'F', '0'}); }
  // Class and name of an object; properties and children follow.
  TStreamBuilder& Object(const std::string& Class, const std::string& Name) { return Str(Class).Str(Name); }
  TStreamBuilder& End() { return Byte(vaNull); }
  TStreamBuilder& Prop(const std::string& Name) { return Str(Name); }

  TStreamBuilder& Int8(int8_t V) { return Byte(vaInt8).LE(static_cast<uint8_t>(V), 1); }
  TStreamBuilder& Int16(int16_t V) { return Byte(vaInt16).LE(static_cast<uint16_t>(V), 2); }
  TStreamBuilder& Int32(int32_t V) { return Byte(vaInt32).LE(static_cast<uint32_t>(V), 4); }
  TStreamBuilder& Int64(int64_t V) { return Byte(vaInt64).LE(static_cast<uint64_t>(V), 8); }
  TStreamBuilder& Ext(long double V) {
    uint8_t B[10];
    ExtendedToBytes(V, B);
    Byte(vaExtended);
    Bytes.insert(Bytes.end(), B, B + 10);
    return *this;
  }
  TStreamBuilder& Double(double V) {
    uint64_t Bits;
    std::memcpy(&Bits, &V, 8);
    return Byte(vaDouble).LE(Bits, 8);
  }
  TStreamBuilder& Single(float V) {
    uint32_t Bits;
    std::memcpy(&Bits, &V, 4);
    return Byte(vaSingle).LE(Bits, 4);
  }
  TStreamBuilder& Ident(const std::string& S) { return Byte(vaIdent).Str(S); }
  TStreamBuilder& String(const std::string& S) { return Byte(vaString).Str(S); }
  TStreamBuilder& LString(const std::string& S) {
    Byte(vaLString).LE(S.size(), 4);
    Bytes.insert(Bytes.end(), S.begin(), S.end());
    return *this;
  }
  TStreamBuilder& Utf8(const std::string& S) {
    Byte(vaUTF8String).LE(S.size(), 4);
    Bytes.insert(Bytes.end(), S.begin(), S.end());
    return *this;
  }
  TStreamBuilder& Wide(const std::u16string& S) {
    Byte(vaWString).LE(S.size(), 4);
    for (char16_t C : S) LE(C, 2);
    return *this;
  }
  TStreamBuilder& Binary(const std::vector<uint8_t>& B) {
    Byte(vaBinary).LE(B.size(), 4);
    Bytes.insert(Bytes.end(), B.begin(), B.end());
    return *this;
  }
  TStreamBuilder& True() { return Byte(vaTrue); }
  TStreamBuilder& False() { return Byte(vaFalse); }
  TStreamBuilder& Nil() { return Byte(vaNil); }
  TStreamBuilder& Set(std::initializer_list<std::string> Names) {
    Byte(vaSet);
    for (const std::string& N : Names) Str(N);
    return Byte(0);
  }
};
