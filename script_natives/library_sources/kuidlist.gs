// A list of KUIDs without duplicates.

include "gs.gs"
include "kuid.gs"

class KUIDList isclass GSObject {
  public native int CountKUIDs();
  public native void AddKUID(KUID a);
  public native void RemoveKUID(KUID a);
  public native bool HasKUID(KUID a);
  public native KUID GetIndexedKUID(int a);
  public native void Copy(KUIDList a);
  public native void Clear();
  public native bool IsLocked();
};
