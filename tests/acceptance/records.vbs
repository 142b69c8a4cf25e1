' PropertyClass1 from the console: properties assigned and read back, and
' DictionaryValues, the one property with a by-reference accessor, bound to
' an object with Set.
On Error Resume Next
Set p = CreateObject("Linkora.PropertyClass1")
p.PropertyName = "Department"
p.IsRequired = True
p.DictionaryCount = "2"
Print p.PropertyName, p.IsRequired, p.DictionaryCount, p.Use

Set q = CreateObject("Linkora.PropertyClass1")
q.PropertyName = "Inner"
Set p.DictionaryValues = q
Print "bound:", Err.Number, p.DictionaryValues.PropertyName
q.PropertyName = "Renamed"
Print "by reference:", p.DictionaryValues.PropertyName
p.DictionaryValues.Value = "through p"
Print "one object:", q.Value

Set p.DictionaryValues = Nothing
n = p.DictionaryValues.PropertyName
Print "unbound:", Err.Number
Err.Clear

Set p.DictionaryValues = "Sales"
Print "a value with Set:", Err.Number
Err.Clear
p.DictionaryValues = q
Print "an object without Set:", Err.Number
Err.Clear
Set p.URI = q
Print "Set on a property without a set accessor:", Err.Number, "[" & p.URI & "]"
Err.Clear
Set cx = CreateObject("Linkora.ConnectOrvex")
Set cx.Author = q
Print "Set on ConnectOrvex:", Err.Number
