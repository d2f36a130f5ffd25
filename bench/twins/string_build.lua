-- string_build: 200,000 appends, the text reset at 200 bytes
local i, s = 0, ""
while i < 200000 do
  s = s .. "x"
  if #s > 200 then s = "" end
  i = i + 1
end
print(i)
