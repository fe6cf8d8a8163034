#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/controls/Control.h"
#include "shell/controls/StyleDictionary.h"

class TStyleDescription;

/// TStyleContainer: a loaded style, its items as children (the description, the images, the
/// style objects), found by name through the style dictionary, and handed out to controls as
/// copies. A control that is never placed on a form.
class KELVANE_API TStyleContainer : public TControl {
  KLV_CLASS(TStyleContainer)
 public:
  explicit TStyleContainer(TComponent* AOwner);
  ~TStyleContainer() override;

  /// Makes Object the last child (and a component of the container). Data, when given, is the
  /// item's object stream, from which copies are read afresh.
  void AddItem(TTreeObject* Object, std::vector<uint8_t> Data = {});
  /// The object stream of an item, or none.
  const std::vector<uint8_t>* ItemData(const TTreeObject* Object) const;
  /// The object entered under Name in the dictionary (built on first use), not a copy.
  TTreeObject* FindStyleResource(const std::string& Name);
  /// The style's description item, or none.
  TStyleDescription* Description() const;

  /// A copy of Found (an object of this container) for a control, owned by nobody: read afresh
  /// from its item's stream when Found is an item that has one, cloned otherwise (then with an
  /// empty StyleName). The copy's style images look up their artwork in this container.
  TControl* CreateCopy(TTreeObject& Found);

 protected:
  /// The items keep their stored sizes: the container lays nothing out.
  void DoRealign() override {}
  void ChangeChildren() override;
  void DoRemoveObject(TTreeObject* AObject) override;

 private:
  TStyleDictionary FDictionary;
  bool FDictionaryValid = false;
  std::map<const TTreeObject*, std::vector<uint8_t>> FItemData;
};

/// The object under Name in any style tree: the container's dictionary, or one built over Tree.
KELVANE_API TTreeObject* FindStyleObject(TTreeObject& Tree, const std::string& Name);
/// Points every style image object of Copy's tree at Source for its artwork.
void SetStyleSourceOfCopy(TTreeObject& Copy, TComponent* Source);
