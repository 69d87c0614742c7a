// Collections: an ordered list of items of one kind that owns them, with an
// update lock, as the component model's property lists need (a grid's
// columns, say).
//
// Change reports. An item that changes calls Changed(all_items); the
// collection then hears Update(item) (or Update(nullptr) for a change that
// concerns every item), unless its update lock is held: BeginUpdate and
// EndUpdate nest, and the last EndUpdate reports one Update(nullptr).
// Adding, removing and moving items report Update(nullptr) as well.
//
// Ownership: the collection owns its items and deletes them (Clear, its
// destructor); an item deleted on its own leaves its collection first.
//
// Plain C++; not thread-safe.
#ifndef QUILLPRINT_COMPONENTS_COLLECTION_H_
#define QUILLPRINT_COMPONENTS_COLLECTION_H_

#include <functional>
#include <vector>

#include "components/component.h"

namespace vz {

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  // Appends the new item to `collection` (when given), which owns it.
  explicit TCollectionItem(TCollection* collection);
  // Leaves the collection (which reports the removal).
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Takes the item out of its collection and into `collection` (nullptr:
  // none); each side reports the change.
  void SetCollection(TCollection* collection);
  // Position in the collection; -1 without one.
  int Index() const;
  // Moves the item to `index` (clamped to the list) and reports a change of
  // every item; nothing when it is there already.
  virtual void SetIndex(int index);

 protected:
  // Reports a change of this item (or of every item) to the collection.
  void Changed(bool all_items);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
 public:
  // Makes a new item of the collection's kind, attached to the collection.
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;

  explicit TCollection(ItemFactory factory);
  ~TCollection() override;

  // A new item of the collection's kind, at the end (the factory's item
  // attaches itself).
  TCollectionItem* Add();
  // Deletes every item (one report).
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // The item at `index`, or nullptr outside 0..Count()-1.
  TCollectionItem* Items(int index) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

 protected:
  // A change of `item`, or of the whole list when nullptr.
  virtual void Update(TCollectionItem* item) { (void)item; }
  // Update(nullptr) unless the update lock is held.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  ItemFactory factory_;
  std::vector<TCollectionItem*> items_;
  int update_count_ = 0;
};

}  // namespace vz

#endif  // QUILLPRINT_COMPONENTS_COLLECTION_H_
