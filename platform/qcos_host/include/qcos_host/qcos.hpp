#pragma once

// The host's class-object system as a plug-in module sees it: the package,
// class and method information objects it derives from and hands over, and
// the operations it calls while declaring classes and running methods.

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <qcos_host/export.h>
#include <qcos_host/qx_array.h>

namespace qcos {

/// The host's error: what a method throws to reject a call; the host reports
/// the identifier and message to the script.
class QCOS_HOST_API Error : public std::runtime_error {
 public:
  Error(std::string identifier, const std::string& message);
  ~Error() override;
  const std::string& identifier() const { return identifier_; }

 private:
  std::string identifier_;
};

/// The host's out-of-memory exception.
class QCOS_HOST_API OutOfMemory : public std::bad_alloc {
 public:
  ~OutOfMemory() override;
  const char* what() const noexcept override;
};

/// Argument and result kinds of one method, in order ("double scalar", "kaloimport.Body", ...).
class Signature;

QCOS_HOST_API Signature* createSignature();
QCOS_HOST_API void appendArgumentKind(Signature* signature, const char* kind);
QCOS_HOST_API void appendResultKind(Signature* signature, const char* kind);
QCOS_HOST_API void destroySignature(Signature* signature);
QCOS_HOST_API std::vector<std::string> argumentKinds(const Signature* signature);
QCOS_HOST_API std::vector<std::string> resultKinds(const Signature* signature);

/// One method of a class. The host owns it once added to a class.
class QCOS_HOST_API MethodInfo {
 public:
  virtual ~MethodInfo();
  virtual const char* name() const = 0;
  virtual const Signature* signature() const = 0;
  virtual const char* description() const = 0;  ///< null: none
  virtual int memberAccess() const = 0;
  virtual bool isVisible() const = 0;
  virtual bool isStatic() const = 0;
  virtual bool isAbstract() const = 0;
  virtual bool isSealed() const = 0;
  virtual bool isLocked() const = 0;
  virtual bool isDestructible() const = 0;
  virtual bool isExplicit() const = 0;
  virtual bool dispatchesOnFirstArgument() const = 0;
  virtual bool overridesAllSignatures() const = 0;
  /// Runs the method. The host passes the argument slots in signature order
  /// and expects the method to fill the result slots and set the result count.
  /// For a constructor, result slot 0 already holds the new object.
  virtual void call(void* hostContext, int* resultCount, qxSlot* results, void* callContext,
                    const qxSlot* arguments) = 0;
};

/// One class of a package. The host owns it once handed over with defineClass.
class QCOS_HOST_API ClassInfo {
 public:
  virtual ~ClassInfo();
  virtual const char* shortName() const = 0;
  virtual const char* description() const = 0;
  virtual const char* detailedDescription() const = 0;
  /// Called when an instance holding data under this class's name is destroyed.
  virtual void releaseInstanceData(void* data) = 0;

  virtual bool isHidden() const = 0;
  virtual bool isSealed() const = 0;
  virtual bool isEnumeration() const = 0;
  virtual bool isHandleCompatible() const = 0;
  virtual bool hasInexactPropertyCompatibility() const = 0;
  virtual bool displaysFullName() const = 0;
  virtual bool propertiesCaseSensitive() const = 0;
  virtual bool truncatesPropertyNames() const = 0;
  virtual bool savesChildren() const = 0;
  virtual bool constructsOnLoad() const = 0;
  virtual bool usesClassDefaultsOnLoad() const = 0;
  virtual bool isLocked() const = 0;
  virtual bool isDestructible() const = 0;
  virtual bool hasClassFunctions() const = 0;
  virtual bool hasExtensionMethods() const = 0;
  virtual bool hasRootRecords() const = 0;
  virtual bool hasSeparateEventNamespace() const = 0;
  virtual bool hasCustomChildrenList() const = 0;
  virtual const char* module() const = 0;  ///< null: none
  virtual int accessLevel() const = 0;
  virtual int arrayNature() const = 0;
  virtual bool allowsInstanceUpdates() const = 0;
};

/// A package: a named set of classes, defined when the host first asks for them.
class QCOS_HOST_API PackageInfo {
 public:
  virtual ~PackageInfo();
  virtual const char* name() const = 0;
  virtual const char* description() const = 0;          ///< null: none
  virtual const char* detailedDescription() const = 0;  ///< null: none
  virtual const char* helpText() const = 0;             ///< null: none
  virtual const char* firstHelpLine() const = 0;        ///< null: none
  virtual bool isLocked() const = 0;
  virtual bool isDestructible() const = 0;
  /// Hands every class of the package to the host with defineClass, in order.
  virtual void defineClasses() = 0;
};

/// Registers a package; the host owns it from now on (also when this throws).
QCOS_HOST_API void registerPackage(PackageInfo* package);
/// Hands one class of the package to the host, which owns it from now on.
QCOS_HOST_API void defineClass(PackageInfo* package, ClassInfo* cls);
/// Declares the superclass (full name) of a class not yet handed over.
QCOS_HOST_API void setSuperclass(ClassInfo* cls, const char* superclassFullName);
/// Adds a method to a class not yet handed over; the host owns the method.
QCOS_HOST_API void addMethod(ClassInfo* cls, MethodInfo* method);

/// The class with this full name ("package.Class"), or null.
QCOS_HOST_API qcosClass* findClass(const char* fullName);
QCOS_HOST_API const char* className(const qcosClass* cls);
/// A new instance of the class, not yet referenced by any array.
QCOS_HOST_API qcosInstance* createInstance(qcosClass* cls);
QCOS_HOST_API const char* instanceClassName(const qcosInstance* instance);
/// The data set under a class name (the instance's class or one of its
/// superclasses), or null.
QCOS_HOST_API void* getInstanceData(const qcosInstance* instance, const char* className);
/// Sets (replaces) the data under a class name; the host releases it through that
/// class when the instance is destroyed. Throws Error for a class the instance is not.
QCOS_HOST_API void setInstanceData(qcosInstance* instance, const char* className, void* data);

}  // namespace qcos
