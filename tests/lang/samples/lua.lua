-- A small queue
local Queue = {}
Queue.__index = Queue

function Queue.new()
  return setmetatable({ first = 1, last = 0, items = {} }, Queue)
end

function Queue:push(value)
  self.last = self.last + 1
  self.items[self.last] = value
end

function Queue:pop()
  if self.first > self.last then
    return nil
  elseif self.items[self.first] == false then
    print("false value")
  end
  local value = self.items[self.first]
  self.items[self.first] = nil
  self.first = self.first + 1
  return value
end

local q = Queue.new()
for i = 1, 10 do
  q:push(i)
end
while true do
  local v = q:pop()
  if not v then break end
  repeat
    v = v - 1
  until v <= 0 or v == nil
end
for k, v in pairs(q.items) do
  print(k, v)
end
goto done
::done::
return Queue
