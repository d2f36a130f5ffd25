-- gosub_loop: 300,000 calls of a function with a local variable
i, t = 0, 0
local function work()
  local l = i % 7
  t = t + l
end
while i < 300000 do
  work()
  i = i + 1
end
print(i .. " " .. t)
