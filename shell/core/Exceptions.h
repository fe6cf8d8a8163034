#pragma once
// The exception family of the framework: every failure carries the exact message text.
#include "shell/core/Export.h"
#include <exception>
#include <initializer_list>
#include <string>

/// Replaces each %s or %d in Fmt by the next argument, in order; "%%" gives "%".
KELVANE_API std::string Format(const std::string& Fmt, std::initializer_list<std::string> Args);

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
  class Name : public Base {                                                \
   public:                                                                  \
    using Base::Base;                                                       \
    const char* ClassName() const noexcept override { return #Name; }       \
  };

KLV_EXCEPTION(EAbort, Exception)
KLV_EXCEPTION(EArgumentException, Exception)
KLV_EXCEPTION(EArgumentNilException, EArgumentException)
KLV_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)
KLV_EXCEPTION(EInvalidOperation, Exception)
KLV_EXCEPTION(EConvertError, Exception)
KLV_EXCEPTION(EListError, Exception)
KLV_EXCEPTION(EComponentError, Exception)
KLV_EXCEPTION(EStreamError, Exception)
KLV_EXCEPTION(EFilerError, EStreamError)
KLV_EXCEPTION(EReadError, EFilerError)
KLV_EXCEPTION(EWriteError, EFilerError)
KLV_EXCEPTION(EClassNotFound, EFilerError)
KLV_EXCEPTION(EResNotFound, Exception)
KLV_EXCEPTION(EUnsupportedPlatformService, Exception)

#undef KLV_EXCEPTION

/// A stored property that could not be read: "Error reading Label.Path: Message", Label being the
/// component's name, or its class name when it has none.
KELVANE_API EReadError PropertyReadError(const std::string& Label, const std::string& Path, const std::string& Message);
