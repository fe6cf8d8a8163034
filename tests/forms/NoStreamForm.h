#pragma once
// A form class that has no stored description: creating one finds no resource of its name.
#include "shell/forms/Form.h"

class TNoStreamForm : public TForm {
  KLV_CLASS(TNoStreamForm)
 public:
  explicit TNoStreamForm(TComponent* AOwner) : TForm(AOwner) {}
};
inline const TMetaClass& TNoStreamForm::StaticClass() {
  return ClassRecord<TNoStreamForm>("TNoStreamForm", &TForm::StaticClass(), [](auto& B) { B.Creatable(); });
}
