// Arrays of LinkedData items, kept and sorted by key. An item's first three members are
// read by the natives: the key, an integer and an object, in that order.

include "gs.gs"

class LinkedData {
  public string key;
  public int value;
  public object data;
};

static class LinkedList {
  public native void SortInternal(LinkedData[] a);
  public native void AddInternal(LinkedData[] a, LinkedData b, bool c);
};
