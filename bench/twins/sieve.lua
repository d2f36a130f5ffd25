-- sieve: the primes below 30000 in an array, counted 5 times by functions
local n, c, r = 30000, 0, 0
local a = {}
local function fillarray(v)
  local i = 0
  while i < n do
    a[i] = v
    i = i + 1
  end
end
local function sieve()
  fillarray(1)
  c = 0
  local i = 2
  while i < n do
    if a[i] ~= 0 then
      c = c + 1
      local j = i * i
      while j < n do
        a[j] = 0
        j = j + i
      end
    end
    i = i + 1
  end
end
while r < 5 do
  sieve()
  r = r + 1
end
print(c)
