#pragma once

// The type names a method signature hands to the host.

namespace kalo_toolkit_qli {

inline constexpr const char* kText = "char vector";
inline constexpr const char* kReal = "double scalar";
inline constexpr const char* kVector = "double vector";
inline constexpr const char* kMatrix = "double matrix";
inline constexpr const char* kInt32 = "int32 scalar";
inline constexpr const char* kUInt32 = "uint32 scalar";
inline constexpr const char* kLogical = "logical scalar";

inline constexpr const char* kPackage = "kaloimport";
inline constexpr const char* kZoltBase = "kaloimport.ZoltBase";
inline constexpr const char* kBody = "kaloimport.Body";
inline constexpr const char* kBodyRef = "kaloimport.BodyRef";
inline constexpr const char* kFrame = "kaloimport.Frame";
inline constexpr const char* kFrameRef = "kaloimport.FrameRef";
inline constexpr const char* kGround = "kaloimport.Ground";
inline constexpr const char* kJoint = "kaloimport.Joint";
inline constexpr const char* kPrimitive = "kaloimport.Primitive";
inline constexpr const char* kZoltModel = "kaloimport.ZoltModel";
inline constexpr const char* kSubsystem = "kaloimport.Subsystem";
inline constexpr const char* kSubsystemRef = "kaloimport.SubsystemRef";

}  // namespace kalo_toolkit_qli
