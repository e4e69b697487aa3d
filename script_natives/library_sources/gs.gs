// The base classes every script library stands on: the root of native objects, game
// objects with their messages, and the router. Includes nothing, so that everything it
// declares is bound by the runtime's own natives when it is first linked.

class GSObject {
  public native string GetGSClassName();
};

class GameObject isclass GSObject {
  public native void SendMessage(GameObject dst, string major, string minor);
  public native void PostMessage(GameObject dst, string major, string minor, float seconds);
  public native void ClearMessages(string major, string minor);
  public native void AddHandler(GameObject target, string major, string minor, string handler);
  public native void Sniff(GameObject target, string major, string minor, bool enable);
  public native void Sleep(float seconds);
  public native int GetId();
  public native string GetName();
  public native void Exception(string reason);
};

class Message {
  public string major;
  public string minor;
  public GameObject src;
  public GameObject dst;
};

static class Router {
  public native GameObject GetGameObject(int id);
  public native GameObject GetForeignGameObject(int id);
  public native GameObject GetGameObject(string name);
  public native void Info();
  public native void PostMessage(int src, int dst, string major, string minor, float seconds);
};
