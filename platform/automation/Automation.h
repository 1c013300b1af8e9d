#pragma once
// Late binding for Nivalo: variants, dispatch by name and id, automation
// errors, reference-counted objects, enumerators, objects by ProgID and
// plug-ins. Link nv_automation (one shared copy per process).
//
// Calling an object late-bound:
//   nv::ObjectRef o = nv::CreateObject("SupplierBook.shiiresakiClass");   // 429 when it cannot
//   nv::Variant settings = nv::MakeArray({...}, 1);                       // lower bound 1
//   nv::Variant folder("/data/"), mode(int16_t(1));
//   std::vector<nv::Variant> args{nv::Variant::ByRef(&folder), nv::Variant::ByRef(&mode),
//                                 nv::Variant::ByRef(&settings)};
//   o.CallArgs("fcFrmOp", args);              // by-reference arguments come back changed
//   o.Put(2, "text");  o.Get("Count").ToLong();  o.Call(23);            // by id or name
//   for (nv::Variant& e : nv::EnumerateCollection(o.Get())) ...           // For Each
// Every failure throws nv::AutomationError (Scode(), Number(), Description(),
// HelpContext()).
//
// Making a class callable: a member table (ids, names, kinds, types) and a
// DispatchObject<T> that binds the members it implements:
//   const nv::MemberInfo kMembers[] = {
//       {1, "Count", nv::DISPATCH_PROPERTYGET, nv::VT_I4},
//       {2, "Name", nv::DISPATCH_PROPERTYGET | nv::DISPATCH_PROPERTYPUT, nv::VT_BSTR},
//       {3, "Add", nv::DISPATCH_METHOD, nv::VT_I4, nullptr, nullptr, {{{"A", nv::VT_BSTR}, {"B", nv::VT_BSTR}}}},
//   };
//   const nv::InterfaceInfo kInfo{"IThing", nullptr, nullptr, kMembers};
//   class Thing : public nv::DispatchObject<Thing> { ... see DispatchObject.h };
// Types in the table are what arguments are coerced to before a handler
// runs; a put on a read-only property is 0x800A017F (383); wrong counts and
// types fail with the argument's position; unbound members are E_NOTIMPL.
//
// A plug-in (a shared library created by ProgID): NV_DEFINE_PLUGIN in one
// source (Plugin.h) and nv_plugin(<target> SOURCES ... LINK ...) in CMake;
// the build tree's ProgID file (build/share/progids) then names it.
// Tests point NIVALO_PROGIDS at a file of their own, or RegisterClass().
// Qt widgets behind an object: QueryInterface(nv::kIID_QWidget).
#include "platform/automation/Dispatch.h"
#include "platform/automation/DispatchObject.h"
#include "platform/automation/EnumVariant.h"
#include "platform/automation/HandleTable.h"
#include "platform/automation/Plugin.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/automation/Status.h"
#include "platform/automation/Unknown.h"
#include "platform/automation/Variant.h"
