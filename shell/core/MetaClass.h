#pragma once
// The class table: for every class that a stored form can create, its name, parent class,
// factory and published properties; for form classes also their published fields and
// methods. The stream reader, the writer, the text form and the tools all go through it, and
// every assignment goes through the same setter that code calls.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Object.h"
#include "shell/core/TypeInfo.h"

class TComponent;
class TPersistent;

/// One published property with type-erased access. Only the accessors of the property's kind
/// are set; a property without a setter is read-only.
struct KELVANE_API TPropInfo {
  std::string Name;
  const TTypeInfo* Type = nullptr;

  std::function<int64_t(TObject*)> GetOrd;  // integer, char, enumeration, set, int64
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<long double(TObject*)> GetFloat;
  std::function<void(TObject*, long double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  std::optional<int64_t> OrdDefault;     // ordinal kinds: not stored when equal
  std::optional<long double> FloatDefault;  // floats: not stored when equal
  std::function<bool(TObject*)> IsStored;    // when set and false: not stored

  TTypeKind Kind() const { return Type->Kind; }
  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObj || SetMethod; }
  /// Whether the writer stores the property's current value on Instance.
  bool ShouldStore(TObject* Instance) const;
};

/// A published field of a form class: set when a component of that name is named.
struct KELVANE_API TFieldInfo {
  std::string Name;
  const TMetaClass* Class = nullptr;
  std::function<void(TObject* Root, TComponent* Value)> Set;
};

/// A published method of a form class, bound to events by name.
struct KELVANE_API TMethodInfo {
  std::string Name;
  TMethod::TCode Code = nullptr;
  const TTypeInfo* Signature = nullptr;
};

/// The class table's record of one class: its name, parent, factory and published properties, and
/// for form classes their published fields and methods. A class makes its record with ClassRecord
/// in StaticClass(); RegisterClass lets stored forms create it.
class KELVANE_API TMetaClass {
 public:
  using TFactory = std::function<TComponent*(TComponent* Owner)>;

  TMetaClass(std::string Name, const TMetaClass* Parent) : FName(std::move(Name)), FParent(Parent) {}
  TMetaClass(const TMetaClass&) = delete;
  TMetaClass& operator=(const TMetaClass&) = delete;

  const std::string& Name() const { return FName; }
  const TMetaClass* Parent() const { return FParent; }
  bool InheritsFrom(const TMetaClass& Other) const;
  /// Whether instances are components that a stream can create.
  bool CanCreate() const { return static_cast<bool>(FFactory); }
  TComponent* Create(TComponent* Owner) const;

  /// Lookups ignore case and search this class, then its ancestors.
  const TPropInfo* FindProperty(const std::string& Name) const;
  const TFieldInfo* FindField(const std::string& Name) const;
  const TMethodInfo* FindMethod(const std::string& Name) const;
  const TMethodInfo* FindMethodByCode(TMethod::TCode Code) const;
  /// Every published property, the most basic class's first.
  std::vector<const TPropInfo*> AllProperties() const;
  std::vector<const TFieldInfo*> AllFields() const;
  // Every published method, the most basic class's first.
  std::vector<const TMethodInfo*> AllMethods() const;

  const std::vector<TPropInfo>& OwnProperties() const { return FProps; }

  /// Building, used only by TClassBuilder.
  TPropInfo& AddProperty(TPropInfo P);
  void AddField(TFieldInfo F) { FFields.push_back(std::move(F)); }
  void AddMethod(TMethodInfo M) { FMethods.push_back(std::move(M)); }
  void SetFactory(TFactory F) { FFactory = std::move(F); }

 private:
  std::string FName;
  const TMetaClass* FParent;
  TFactory FFactory;
  std::vector<TPropInfo> FProps;
  std::vector<TFieldInfo> FFields;
  std::vector<TMethodInfo> FMethods;
};

/// The process-wide list of classes that streams may create by name.
KELVANE_API void RegisterClass(const TMetaClass& Class);
KELVANE_API const TMetaClass* GetClass(const std::string& Name);

/// Raised when a class property is given an object of the wrong class.
[[noreturn]] void RaiseInvalidCast(TObject* Value, const TMetaClass& Expected);

namespace detail {
template <typename V>
const TTypeInfo* DefaultTypeInfo() {
  if constexpr (std::is_same_v<V, bool>) return &TypeInfos::Boolean();
  else if constexpr (std::is_same_v<V, float>) return &TypeInfos::Single();
  else if constexpr (std::is_same_v<V, double>) return &TypeInfos::Double();
  else if constexpr (std::is_same_v<V, long double>) return &TypeInfos::Extended();
  else if constexpr (std::is_same_v<V, int64_t>) return &TypeInfos::Int64();
  else if constexpr (std::is_same_v<V, uint32_t>) return &TypeInfos::Cardinal();
  else if constexpr (std::is_integral_v<V>) return &TypeInfos::Integer();
  else if constexpr (std::is_same_v<V, std::string>) return &TypeInfos::String();
  else if constexpr (std::is_same_v<V, TNotifyEvent>) return &TypeInfos::NotifyEvent();
  else return nullptr;
}

template <typename>
struct IsEvent : std::false_type {};
template <typename... A>
struct IsEvent<TEvent<A...>> : std::true_type {};
template <typename>
struct IsSet : std::false_type {};
template <typename E>
struct IsSet<TSet<E>> : std::true_type {};
}  // namespace detail

/// Fills the class record of T; ClassRecord hands one to a class's registration:
///   ClassRecord<TName>("TName", &TParent::StaticClass(), [](auto& B) { B.Property(...); });
template <typename T>
class TClassBuilder {
 public:
  explicit TClassBuilder(TMetaClass& Class) : FClass(Class) {}

  /// A component class that streams can create.
  TClassBuilder& Creatable() {
    if constexpr (std::is_constructible_v<T, TComponent*>)
      FClass.SetFactory([](TComponent* Owner) -> TComponent* { return new T(Owner); });
    return *this;
  }

  /// A published property. The value type of the getter decides the kind; enumerations, sets,
  /// colours and non-default events pass their TTypeInfo. Setter may be nullptr (read-only).
  template <typename G, typename S>
  TClassBuilder& Property(const std::string& Name, G Getter, S Setter, const TTypeInfo* Type = nullptr) {
    using V = std::decay_t<std::invoke_result_t<G, T&>>;
    TPropInfo P;
    P.Name = Name;
    P.Type = Type ? Type : detail::DefaultTypeInfo<V>();
    constexpr bool HasSetter = !std::is_same_v<S, std::nullptr_t>;
    if constexpr (std::is_same_v<V, bool> || std::is_integral_v<V> || std::is_enum_v<V>) {
      P.GetOrd = [Getter](TObject* O) { return static_cast<int64_t>(std::invoke(Getter, *static_cast<T*>(O))); };
      if constexpr (HasSetter)
        P.SetOrd = [Setter](TObject* O, int64_t Value) { std::invoke(Setter, *static_cast<T*>(O), static_cast<V>(Value)); };
    } else if constexpr (detail::IsSet<V>::value) {
      P.GetOrd = [Getter](TObject* O) { return static_cast<int64_t>(std::invoke(Getter, *static_cast<T*>(O)).Bits()); };
      if constexpr (HasSetter)
        P.SetOrd = [Setter](TObject* O, int64_t Value) {
          std::invoke(Setter, *static_cast<T*>(O), V::FromBits(static_cast<uint32_t>(Value)));
        };
    } else if constexpr (std::is_floating_point_v<V>) {
      P.GetFloat = [Getter](TObject* O) { return static_cast<long double>(std::invoke(Getter, *static_cast<T*>(O))); };
      if constexpr (HasSetter)
        P.SetFloat = [Setter](TObject* O, long double Value) { std::invoke(Setter, *static_cast<T*>(O), static_cast<V>(Value)); };
    } else if constexpr (std::is_same_v<V, std::string>) {
      P.GetStr = [Getter](TObject* O) { return std::invoke(Getter, *static_cast<T*>(O)); };
      if constexpr (HasSetter)
        P.SetStr = [Setter](TObject* O, const std::string& Value) { std::invoke(Setter, *static_cast<T*>(O), Value); };
    } else if constexpr (detail::IsEvent<V>::value) {
      P.GetMethod = [Getter](TObject* O) { return std::invoke(Getter, *static_cast<T*>(O)).ToMethod(); };
      if constexpr (HasSetter)
        P.SetMethod = [Setter](TObject* O, const TMethod& M) { std::invoke(Setter, *static_cast<T*>(O), V::FromMethod(M)); };
    } else if constexpr (std::is_pointer_v<V>) {
      using C = std::remove_pointer_t<V>;
      static_assert(std::is_base_of_v<TObject, C>, "class properties hold TObject descendants");
      if (!Type) {
        static TTypeInfo Info = [] {
          TTypeInfo I;
          I.Name = "class";
          I.Kind = TTypeKind::Class;
          I.ClassTypeOf = &C::StaticClass;
          return I;
        }();
        P.Type = &Info;
      }
      P.GetObj = [Getter](TObject* O) -> TObject* { return std::invoke(Getter, *static_cast<T*>(O)); };
      if constexpr (HasSetter)
        P.SetObj = [Setter](TObject* O, TObject* Value) {
          C* Typed = Value ? dynamic_cast<C*>(Value) : nullptr;
          if (Value && !Typed) RaiseInvalidCast(Value, C::StaticClass());
          std::invoke(Setter, *static_cast<T*>(O), Typed);
        };
    } else {
      static_assert(sizeof(V) == 0, "unsupported property type");
    }
    FLast = &FClass.AddProperty(std::move(P));
    return *this;
  }

  /// A published event: a public field of the class, as every event is. Events of another type
  /// than TNotifyEvent pass their TTypeInfo.
  template <typename E, typename C>
  TClassBuilder& Event(const std::string& Name, E C::*Field, const TTypeInfo* Type = nullptr) {
    return Property(Name, [Field](const T& O) { return O.*Field; }, [Field](T& O, const E& V) { O.*Field = V; }, Type);
  }

  /// The default of the last property: its value is not stored when equal to this.
  template <typename V>
  TClassBuilder& Default(V Value) {
    if constexpr (std::is_floating_point_v<V>) FLast->FloatDefault = static_cast<long double>(Value);
    else if constexpr (detail::IsSet<V>::value) FLast->OrdDefault = static_cast<int64_t>(Value.Bits());
    else FLast->OrdDefault = static_cast<int64_t>(Value);
    return *this;
  }

  /// The stored predicate of the last property.
  template <typename P>
  TClassBuilder& Stored(P Predicate) {
    FLast->IsStored = [Predicate](TObject* O) { return std::invoke(Predicate, *static_cast<T*>(O)); };
    return *this;
  }

  /// A published field of a form class.
  template <typename C>
  TClassBuilder& Field(const std::string& Name, C* T::*Member) {
    FClass.AddField(TFieldInfo{Name, &C::StaticClass(),
                               [Member](TObject* Root, TComponent* Value) {
                                 static_cast<T*>(Root)->*Member = dynamic_cast<C*>(Value);
                               }});
    return *this;
  }

  /// A published method of a form class.
  template <typename... A>
  TClassBuilder& Method(const std::string& Name, void (T::*Code)(A...),
                        const TTypeInfo* Signature = &TypeInfos::NotifyEvent()) {
    using TCode = void (TObject::*)(A...);
    FClass.AddMethod(TMethodInfo{Name, std::bit_cast<TMethod::TCode>(static_cast<TCode>(Code)), Signature});
    return *this;
  }

 private:
  TMetaClass& FClass;
  TPropInfo* FLast = nullptr;
};

/// The class record of T, built once on first use: Fill receives a TClassBuilder<T>.
template <typename T, typename F>
const TMetaClass& ClassRecord(const char* Name, const TMetaClass* Parent, F Fill) {
  static TMetaClass Class(Name, Parent);
  static const bool Built = [&] {
    TClassBuilder<T> Builder(Class);
    Fill(Builder);
    return true;
  }();
  (void)Built;
  return Class;
}
