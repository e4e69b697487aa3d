// LuaFunction: a Lua 5.4 state in this process holding one chunk, whose global function of
// one integer argument and integer result an interpreter benchmark calls, through the Lua C
// API, as the peer of a script function.
#pragma once

#include <lua5.4/lauxlib.h>
#include <lua5.4/lua.h>
#include <lua5.4/lualib.h>

#include <cstdint>
#include <string>

class LuaFunction {
  public:
    LuaFunction(const char* chunk, const char* function) : state_(luaL_newstate()), function_(function) {
        luaL_openlibs(state_);
        ready_ = luaL_dostring(state_, chunk) == LUA_OK;
    }
    ~LuaFunction() { lua_close(state_); }
    LuaFunction(const LuaFunction&) = delete;
    LuaFunction& operator=(const LuaFunction&) = delete;

    bool Ready() const { return ready_; }
    // The function's result; -1 when the call fails.
    int64_t Call(int64_t argument) {
        lua_getglobal(state_, function_.c_str());
        lua_pushinteger(state_, argument);
        if (lua_pcall(state_, 1, 1, 0) != LUA_OK) {
            lua_pop(state_, 1);
            return -1;
        }
        const auto result = static_cast<int64_t>(lua_tointeger(state_, -1));
        lua_pop(state_, 1);
        return result;
    }

  private:
    lua_State* state_;
    std::string function_;
    bool ready_ = false;
};
