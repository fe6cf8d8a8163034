#pragma once
#include <string>

#include "shell/core/Export.h"
#include "shell/core/MetaClass.h"
#include "shell/core/Object.h"

class TFiler;

/// TPersistent: an object that can be assigned from another and stored in a form stream.
class KELVANE_API TPersistent : public TObject {
  KLV_CLASS(TPersistent)
 public:
  /// Copies Source into this object; raises EConvertError when the classes do not match.
  virtual void Assign(TPersistent* Source);
  /// Declares the stored properties that are not published.
  virtual void DefineProperties(TFiler& Filer);
  virtual TPersistent* GetOwner() { return nullptr; }
  virtual std::string GetNamePath() const { return ClassName(); }

 protected:
  virtual void AssignTo(TPersistent* Dest);
};
