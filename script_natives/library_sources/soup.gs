// A handle on a config soup: named tags read as text, numbers, KUIDs and sub-soups.

include "gs.gs"
include "kuid.gs"

class Soup isclass GSObject {
  public native int CountTags();
  public native string GetNamedTag(string a);
  public native Soup GetNamedSoup(string a);
  public native string GetIndexedTagName(int a);
  public native int GetIndexForNamedTag(string a);
  public native KUID GetNamedTagAsKUID(string a);
  public native int GetNamedTagAsInt(string a);
  public native int GetNamedTagAsInt(string a, int b);
  public native float GetNamedTagAsFloat(string a);
  public native float GetNamedTagAsFloat(string a, float b);
  public native void SetNamedTag(string a, string b);
  public native void SetNamedTag(string a, float b);
  public native void SetNamedTag(string a, int b);
  public native void SetNamedTag(string a, KUID b);
  public native void SetNamedSoup(string a, Soup b);
  public native void RemoveNamedTag(string a);
  public native void Copy(Soup a);
  public native void Clear();
  public native bool IsLocked();
  public native void AddUniqueNamedSoup(Soup a);
  public native void Log();
};
