#pragma once
// Small registered component classes with every kind of published property, used to test the
// reader, the writer and the text form without the scene classes.
#include <string>
#include <vector>

#include "shell/core/AlphaColor.h"
#include "shell/core/Collection.h"
#include "shell/core/Component.h"
#include "shell/core/TreeObject.h"

enum class TTestAlign { None, Client, Bottom, Left };
enum TTestOption { toFirst, toSecond, toThird };
using TTestOptions = TSet<TTestOption>;
using TIntEvent = TEvent<int>;

const TTypeInfo& TestAlignType();
const TTypeInfo& TestOptionsType();
const TTypeInfo& IntEventType();

// What Loaded calls and events happened, in order.
std::vector<std::string>& TestLog();

// A persistent sub-object reached by dotted paths ("Position.X"); defines "Point".
class TTestPoint : public TPersistent {
  KLV_CLASS(TTestPoint)
 public:
  float X() const { return FX; }
  void SetX(float V);
  float Y() const { return FY; }
  void SetY(float V);
  float Z() const { return FZ; }
  void SetZ(float V);
  int Changes = 0;
  void DefineProperties(TFiler& Filer) override;

 private:
  float FX = 0, FY = 0, FZ = 0;
};

class TTestItem : public TCollectionItem {
  KLV_CLASS(TTestItem)
 public:
  TAlphaColor Color() const { return FColor; }
  void SetColor(TAlphaColor V) { FColor = V; }
  float Offset() const { return FOffset; }
  void SetOffset(float V) { FOffset = V; }

 private:
  TAlphaColor FColor = TAlphaColors::Black;
  float FOffset = 0;
};

class TTestItems : public TCollection {
  KLV_CLASS(TTestItems)
 public:
  TTestItems();
  int Updates = 0;

 protected:
  void Update(TCollectionItem*) override { ++Updates; }
};

// A 3D-like object: every property kind, a sub-object, a collection, a reference and events.
class TTestObject : public TTreeObject {
  KLV_CLASS(TTestObject)
 public:
  explicit TTestObject(TComponent* AOwner);
  ~TTestObject() override;

  int Int() const { return FInt; }
  void SetInt(int V) { FInt = V; }
  TAlphaColor Color() const { return FColor; }
  void SetColor(TAlphaColor V) { FColor = V; }
  TTestAlign Align() const { return FAlign; }
  void SetAlign(TTestAlign V) { FAlign = V; }
  bool Flag() const { return FFlag; }
  void SetFlag(bool V) { FFlag = V; }
  float Ratio() const { return FRatio; }
  void SetRatio(float V) { FRatio = V; }
  double Precise() const { return FPrecise; }
  void SetPrecise(double V) { FPrecise = V; }
  int64_t Big() const { return FBig; }
  void SetBig(int64_t V) { FBig = V; }
  std::string Text() const { return FText; }
  void SetText(const std::string& V) { FText = V; }
  char16_t Letter() const { return FLetter; }
  void SetLetter(char16_t V) { FLetter = V; }
  TTestOptions Options() const { return FOptions; }
  void SetOptions(TTestOptions V) { FOptions = V; }
  int Fixed() const { return 7; }
  TTestPoint* Position() const { return FPosition; }
  void SetPosition(TTestPoint* V);
  TTestItems* Items() const { return FItems; }
  void SetItems(TTestItems* V) { FItems->Assign(V); }
  TTestObject* Ref() const { return FRef; }
  void SetRef(TTestObject* V);
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent V) { FOnClick = V; }
  TIntEvent OnValue() const { return FOnValue; }
  void SetOnValue(TIntEvent V) { FOnValue = V; }

  // A defined integer "Extra" and a defined string "Note"; a setter that throws on "Bad".
  int Extra = 0;
  std::string Note;
  bool SawLoadingInSetter = false;
  void Loaded() override;
  void DefineProperties(TFiler& Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  int FInt = 0;
  TAlphaColor FColor = TAlphaColors::Null;
  TTestAlign FAlign = TTestAlign::None;
  bool FFlag = false;
  float FRatio = 1;
  double FPrecise = 0;
  int64_t FBig = 0;
  std::string FText;
  char16_t FLetter = u'a';
  TTestOptions FOptions{toFirst};
  TTestPoint* FPosition;
  TTestItems* FItems;
  TTestObject* FRef = nullptr;
  TNotifyEvent FOnClick;
  TIntEvent FOnValue;
};

// A component without a parent in the tree (like a material source or a timer of a data module).
class TTestPlain : public TComponent {
  KLV_CLASS(TTestPlain)
 public:
  using TComponent::TComponent;
  void Loaded() override;
  std::string Caption() const { return FCaption; }
  void SetCaption(const std::string& V);

 private:
  std::string FCaption;
};

// A form-like root: published fields and handlers, registered as a global component.
class TTestForm : public TTreeObject {
  KLV_CLASS(TTestForm)
 public:
  explicit TTestForm(TComponent* AOwner);
  ~TTestForm() override;
  void Loaded() override;

  TTestObject* Object1 = nullptr;
  TTestObject* Object2 = nullptr;
  TTestPlain* Plain1 = nullptr;
  void Object1Click(TObject* Sender);
  void ValueChanged(int Value);
  int Clicks = 0;
};

// A class that derives from the form, for descriptions on two class levels.
class TTestForm2 : public TTestForm {
  KLV_CLASS(TTestForm2)
 public:
  using TTestForm::TTestForm;
  void Object2Click(TObject* Sender);
};

void RegisterTestClasses();
