#pragma once
// TObject, the root of every class that the class table knows, and the small value types
// shared by the whole framework: sets of enumeration values and comparable method pointers.
#include "shell/core/Export.h"
#include <bit>
#include <cstdint>
#include <string>
#include <type_traits>

class TMetaClass;

/// Root of the class hierarchy; gives every object its class record.
class KELVANE_API TObject {
 public:
  virtual ~TObject() = default;
  virtual const TMetaClass& ClassType() const;
  static const TMetaClass& StaticClass();
  std::string ClassName() const;
  bool InheritsFrom(const TMetaClass& Class) const;
};

// Declares the class record accessors; the record itself is built in the .cpp with TClassBuilder.
#define KLV_CLASS(Name)                                \
 public:                                               \
  static const TMetaClass& StaticClass();              \
  const TMetaClass& ClassType() const override {       \
    return StaticClass();                              \
  }

/// A set of enumeration values with ordinals 0 to 31, held as bits.
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Values) {
    for (E V : Values) Include(V);
  }
  static constexpr TSet FromBits(uint32_t Bits) {
    TSet S;
    S.FBits = Bits;
    return S;
  }
  constexpr uint32_t Bits() const { return FBits; }
  constexpr bool Contains(E V) const { return (FBits >> static_cast<unsigned>(V)) & 1u; }
  constexpr TSet& Include(E V) {
    FBits |= 1u << static_cast<unsigned>(V);
    return *this;
  }
  constexpr TSet& Exclude(E V) {
    FBits &= ~(1u << static_cast<unsigned>(V));
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TSet&) const = default;
  constexpr TSet operator+(TSet Other) const { return FromBits(FBits | Other.FBits); }
  constexpr TSet operator-(TSet Other) const { return FromBits(FBits & ~Other.FBits); }
  constexpr TSet operator*(TSet Other) const { return FromBits(FBits & Other.FBits); }

 private:
  uint32_t FBits = 0;
};

/// An untyped method pointer: code and object. Events convert to and from it, so that the
/// class table can bind any event to a published method by name.
struct KELVANE_API TMethod {
  using TCode = void (TObject::*)();
  TCode Code = nullptr;
  TObject* Data = nullptr;
  bool Assigned() const { return Code != nullptr; }
  bool operator==(const TMethod& Other) const { return Code == Other.Code && Data == Other.Data; }
};

/// A typed, comparable method pointer: two events are equal when both code and object are.
template <typename... Args>
class TEvent {
 public:
  using TCode = void (TObject::*)(Args...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <typename C, typename = std::enable_if_t<std::is_base_of_v<TObject, C>>>
  TEvent(C* Object, void (C::*Method)(Args...))
      : FCode(static_cast<TCode>(Method)), FData(Object) {}

  static TEvent FromMethod(const TMethod& M) {
    TEvent E;
    E.FCode = std::bit_cast<TCode>(M.Code);
    E.FData = M.Data;
    return E;
  }
  TMethod ToMethod() const { return TMethod{std::bit_cast<TMethod::TCode>(FCode), FData}; }

  bool Assigned() const { return FCode != nullptr; }
  explicit operator bool() const { return Assigned(); }
  TObject* Data() const { return FData; }
  void operator()(Args... A) const {
    if (FCode) (FData->*FCode)(A...);
  }
  bool operator==(const TEvent& Other) const { return FCode == Other.FCode && FData == Other.FData; }

 private:
  TCode FCode = nullptr;
  TObject* FData = nullptr;
};

using TNotifyEvent = TEvent<TObject*>;
