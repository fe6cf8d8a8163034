#pragma once
// The exception family of the framework: every failure carries the exact message text.
#include "shell/core/Export.h"
#include <exception>
#include <initializer_list>
#include <string>

/// Replaces each %s or %d in Fmt by the next argument, in order; "%%" gives "%".
KELVANE_API std::string Format(const std::string& Fmt, std::initializer_list<std::string> Args);

/// The base of every exception the framework raises; Message() is the text shown to the user,
/// ClassName() the class's name as the error box names it.
class KELVANE_API Exception : public std::exception {
 public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string FMessage;
};

#define KLV_EXCEPTION(Name, Base)                                           \
  class KELVANE_API Name : public Base {                                    \
   public:                                                                  \
    using Base::Base;                                                       \
    const char* ClassName() const noexcept override { return #Name; }       \
  };

/// A silent exception: it ends what is running without an error box.
KLV_EXCEPTION(EAbort, Exception)
/// An argument that a method cannot take.
KLV_EXCEPTION(EArgumentException, Exception)
/// A null argument where an object is needed.
KLV_EXCEPTION(EArgumentNilException, EArgumentException)
/// An index or value outside the range a method accepts.
KLV_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)
/// An operation that the object cannot do in its present state.
KLV_EXCEPTION(EInvalidOperation, Exception)
/// A value that cannot be converted (text to a number, a colour or a form notation).
KLV_EXCEPTION(EConvertError, Exception)
/// An index outside a list.
KLV_EXCEPTION(EListError, Exception)
/// A component name that is not valid or already taken by a sibling.
KLV_EXCEPTION(EComponentError, Exception)
/// A stream that cannot be read or written.
KLV_EXCEPTION(EStreamError, Exception)
/// A stored form that the reader or writer cannot handle.
KLV_EXCEPTION(EFilerError, EStreamError)
/// A stored form that cannot be read ("Invalid stream format", "Error reading ...").
KLV_EXCEPTION(EReadError, EFilerError)
/// A component tree that cannot be stored.
KLV_EXCEPTION(EWriteError, EFilerError)
/// A stored form names a class that is not registered (RegisterClass).
KLV_EXCEPTION(EClassNotFound, EFilerError)
/// A resource that is not embedded ("Resource TFORM1 not found").
KLV_EXCEPTION(EResNotFound, Exception)
/// A platform service that the platform in use does not supply.
KLV_EXCEPTION(EUnsupportedPlatformService, Exception)

#undef KLV_EXCEPTION

/// A stored property that could not be read: "Error reading Label.Path: Message", Label being the
/// component's name, or its class name when it has none.
KELVANE_API EReadError PropertyReadError(const std::string& Label, const std::string& Path, const std::string& Message);
